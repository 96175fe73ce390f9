#include "rds/preview.h"
#include "rds/rds_model.h"
#include "support/printers.h"

#include <gtest/gtest.h>

using namespace zfm;

namespace {

SettingsRecord withEntries()
{
    SettingsRecord r;
    for (int i = 0; i < kPsEntries; ++i)
        r.PS[i] = QStringLiteral("PS%1").arg(i).leftJustified(8);
    r.PSDelay.fill(0);
    return r;
}

QStringList psTicks(Preview &p, const SettingsRecord &r, int n)
{
    QStringList shown;
    for (int i = 0; i < n; ++i) {
        const PreviewFrame f = p.tick(r, false);
        EXPECT_EQ(f.intervalMs, 1000);
        shown << f.text.trimmed();
    }
    return shown;
}

} // namespace

TEST(Preview, PsRotationShowsEntriesWithADelay)
{
    struct Row {
        std::vector<int> withDelay;
        QStringList shown;
    };
    const Row rows[] = {
        {{0, 1, 2}, {"PS0", "PS1", "PS2", "PS0", "PS1", "PS2", "PS0"}},
        {{}, {"PS0", "PS0", "PS0"}}, // "Set all to:" 0 takes every entry out: entry 0 stays
        {{5, 98}, {"PS5", "PS98", "PS0", "PS5", "PS98"}},
        {{99}, {"PS0", "PS0"}}, // entry 99 is never reached by the rotation
    };
    for (const Row &row : rows) {
        SettingsRecord r = withEntries();
        for (int i : row.withDelay)
            r.PSDelay[i] = 4;
        Preview p;
        EXPECT_EQ(psTicks(p, r, static_cast<int>(row.shown.size())), row.shown);
    }
}

TEST(Preview, RadioTextScrollsAndStartsOverBeforeItsEnd)
{
    SettingsRecord r;
    r.RT = QStringLiteral("ABCDEFGHIJ");
    Preview p;
    QStringList shown;
    for (int i = 0; i < 11; ++i) {
        const PreviewFrame f = p.tick(r, true);
        EXPECT_EQ(f.intervalMs, 200);
        EXPECT_EQ(f.text.size(), 8);
        shown << f.text;
    }
    EXPECT_EQ(shown[0], QStringLiteral("ABCDEFGH"));
    EXPECT_EQ(shown[1], QStringLiteral("BCDEFGHI"));
    EXPECT_EQ(shown[8], QStringLiteral("IJ      "));
    EXPECT_EQ(shown[9], QStringLiteral("ABCDEFGH")); // position 10 = length: back to 1
}

TEST(Preview, EmptyOrShortenedRadioTextStaysInRange)
{
    SettingsRecord r;
    r.RT = QString();
    Preview p;
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(p.tick(r, true).text, QString(8, QLatin1Char(' ')));
    EXPECT_LE(p.position(), 1);
    r.RT = QString(64, QLatin1Char('x'));
    for (int i = 0; i < 40; ++i)
        p.tick(r, true);
    r.RT = QStringLiteral("short");
    EXPECT_EQ(p.tick(r, true).text, QStringLiteral("short   "));
    EXPECT_EQ(trayToolTip(r), QStringLiteral("ZephyrineFM+ v1.1+ >>short<<"));
}

TEST(DynamicPs, SetAllDelaysUsesTheCommonDelay)
{
    SettingsRecord r;
    r.SETTOSAMEDELAY = 7;
    SetAllDelays(r);
    for (int i = 0; i < kPsEntries; ++i)
        EXPECT_EQ(r.PSDelay[i], 7) << i;
    EXPECT_EQ(r.PSDelay[100], 0); // kept only, not an entry
}
