#include "rds/preview.h"
#include "rds/rds_model.h"
#include "support/printers.h"

#include <gtest/gtest.h>

using namespace zfm;

namespace {

// The texts shown on `n` ticks (a PS without its padding), each checked for its interval and length.
QStringList ticks(Preview &p, const SettingsRecord &r, bool radioText, int n)
{
    QStringList shown;
    for (int i = 0; i < n; ++i) {
        const PreviewFrame f = p.tick(r, radioText);
        EXPECT_EQ(f.intervalMs, radioText ? 200 : 1000);
        EXPECT_EQ(f.text.size(), 8);
        shown << (radioText ? f.text : f.text.trimmed());
    }
    return shown;
}

} // namespace

TEST(Preview, PsRotationShowsEntriesWithADelay)
{
    const std::pair<std::vector<int>, QStringList> rows[] = {
        {{0, 1, 2}, {"PS0", "PS1", "PS2", "PS0", "PS1", "PS2", "PS0"}},
        {{}, {"PS0", "PS0", "PS0"}}, // "Set all to:" 0 takes every entry out: entry 0 stays
        {{5, 98}, {"PS5", "PS98", "PS0", "PS5", "PS98"}},
        {{99}, {"PS0", "PS0"}}, // entry 99 is never reached by the rotation
    };
    for (const auto &[withDelay, want] : rows) {
        SettingsRecord r;
        for (int i = 0; i < kPsEntries; ++i)
            r.PS[i] = QStringLiteral("PS%1").arg(i).leftJustified(8);
        r.PSDelay.fill(0);
        for (int i : withDelay)
            r.PSDelay[i] = 4;
        Preview p;
        EXPECT_EQ(ticks(p, r, false, static_cast<int>(want.size())), want);
    }
}

TEST(Preview, RadioTextScrollsAndStartsOverBeforeItsEnd)
{
    SettingsRecord r;
    r.RT = QStringLiteral("ABCDEFGHIJ");
    Preview p;
    const QStringList shown = ticks(p, r, true, 10);
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
}

TEST(DynamicPs, SetAllDelaysUsesTheCommonDelay)
{
    SettingsRecord r;
    r.SETTOSAMEDELAY = 7;
    setAllPsDelays(r);
    std::array<int16_t, kPsEntries + 1> want;
    want.fill(7);
    want[kPsEntries] = 0; // "PSDelay100" is kept only, not an entry
    EXPECT_EQ(r.PSDelay, want);
}
