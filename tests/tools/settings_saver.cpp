// A stand-in for the program saving its settings over and over, for the drill
// that kills it in the middle of a save. Each save writes a new generation n:
// every PS text, the RadioText, the messages and the frequency carry n.
//
//   zfm_settings_saver           load, report, then save generations n+1, n+2, ...
//   zfm_settings_saver --check   load and report only
//
// The report of the load is one line:
//   loaded <n> missing <k>       every value belongs to generation n (0: none
//                                saved yet); k keys of the store are absent
//   mixed <what>                 the values belong to different generations
// and every save is followed by "saved <n>".
#include "settings/key_table.h"
#include "settings/settings.h"
#include "settings/settings_store.h"

#include <QCoreApplication>

#include <cstdio>

using namespace zfm;

namespace {

QString psOf(int n) { return QStringLiteral("G%1").arg(n, 7, 10, QLatin1Char('0')); }
QString rtOf(int n) { return QStringLiteral("Generation %1 of the RadioText, long enough to fill a line").arg(n); }
int32_t frequencyOf(int n) { return 87500 + (n % 400) * 50; }

void fill(SettingsRecord &r, int n)
{
    for (QString &ps : r.PS)
        ps = psOf(n);
    r.RT = rtOf(n);
    for (int m = 0; m < kMessages; ++m)
        r.MG[m] = rtOf(n) + QString::number(m);
    r.TXFrequency = frequencyOf(n);
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
    const bool checkOnly = argc > 1 && qstrcmp(argv[1], "--check") == 0;
    PlatformStore store;
    SettingsRecord record;
    Settings settings(record, store);
    settings.LoadAllSettings();

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
    if (checkOnly)
        return 0;
    for (int n = generation + 1;; ++n) {
        fill(record, n);
        if (!settings.SaveAllSettings()) {
            std::printf("cannot save\n");
            return 1;
        }
        std::printf("saved %d\n", n);
        std::fflush(stdout);
    }
}
