#include "rds/preview.h"
#include "support/printers.h"

#include <gtest/gtest.h>

using namespace zfm;

// With no entry in the rotation (every delay 0, or a delay on entry 99 only,
// which the rotation never reaches) the preview stays on entry 0 rather than
// search on.
TEST(Preview, APsListWithNothingToRotateStaysOnEntryZero)
{
    for (const int withDelay : {-1, 99}) {
        SettingsRecord r;
        r.PS[0] = QStringLiteral("PS0     ");
        r.PSDelay.fill(0);
        if (withDelay > 0)
            r.PSDelay[withDelay] = 4;
        Preview p;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(p.tick(r, false).text, QStringLiteral("PS0     ")) << withDelay;
    }
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
