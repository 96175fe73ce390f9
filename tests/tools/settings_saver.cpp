// A stand-in for the program saving its settings over and over, for the drill
// that kills it mid-save. Generation n carries n in every PS text, the
// RadioText, the messages and the frequency. It loads, reports, then saves
// generations n+1, n+2, ... until killed. The report is "loaded <n> missing <k>" (n = 0: nothing saved
// yet; k keys of the store absent) or "mixed <what>"; each save says "saved <n>".
#include "settings/key_table.h"
#include "settings/settings.h"
#include "settings/settings_store.h"

#include <QCoreApplication>

#include <cstdio>

using namespace zfm;

namespace {

void fill(SettingsRecord &r, int n)
{
    for (QString &ps : r.PS)
        ps = QStringLiteral("G%1").arg(n, 7, 10, QLatin1Char('0'));
    r.RT = QStringLiteral("Generation %1 of the RadioText, long enough to fill a line").arg(n);
    for (int m = 0; m < kMessages; ++m)
        r.MG[m] = r.RT + QString::number(m);
    r.TXFrequency = 87500 + (n % 400) * 50;
}

// The generation every value belongs to, or a description of the mix.
std::pair<int, QString> generationOf(const SettingsRecord &r)
{
    const SettingsRecord defaults;
    if (r.PS[0] == defaults.PS[0] && r.RT == defaults.RT)
        return {0, {}};
    const int n = r.PS[0].mid(1).toInt();
    SettingsRecord whole = r;
    fill(whole, n);
    if (whole == r)
        return {n, {}};
    return {-1, QStringLiteral("values of other generations beside PS \"%1\", RT \"%2\"").arg(r.PS[0], r.RT)};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    PlatformStore store;
    SettingsRecord record;
    Settings settings(record, store);
    settings.loadAll();

    int missing = 0;
    for (const KeyBinding &k : recordKeys(record)) {
        if (!k.absentWhenEmpty && !store.value(k.key))
            ++missing;
    }
    const auto [generation, mix] = generationOf(record);
    if (generation < 0) {
        std::printf("mixed %s\n", qPrintable(mix));
        return 1;
    }
    std::printf("loaded %d missing %d\n", generation, missing);
    std::fflush(stdout);
    for (int n = generation + 1;; ++n) {
        fill(record, n);
        if (!settings.saveAll()) {
            std::printf("cannot save\n");
            return 1;
        }
        std::printf("saved %d\n", n);
        std::fflush(stdout);
    }
}
