#include "autoupdate/ps_rebuild.h"

#include <gtest/gtest.h>

using namespace zfm;

namespace {

const QString kBlank(8, u' ');

// Recognisable leftovers, so that an entry the rebuild must not touch shows.
SettingsRecord leftovers()
{
    SettingsRecord r;
    for (int i = 0; i < kPsEntries; ++i) {
        r.PS[i] = QStringLiteral("old%1").arg(i);
        r.PSDelay[i] = 5;
    }
    return r;
}

} // namespace

TEST(PsRebuild, SplitCutsTheTitleIntoEightPieces)
{
    SettingsRecord r = leftovers();
    rebuildPsList(r, AutoUpdateType::Split, QStringLiteral("ABCDEFGHIJ"), 3, std::nullopt);
    const QString texts[] = {"ABCDEFGH", "IJ      ", kBlank, kBlank, kBlank, kBlank, kBlank, kBlank, "old8    "};
    const int16_t delays[] = {3, 3, 0, 0, 0, 0, 0, 0, 0}; // entry 8: no stale date in the rotation
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(r.PS[k], texts[k]) << k;
        EXPECT_EQ(r.PSDelay[k], delays[k]) << k;
    }
    EXPECT_EQ(r.PS[15], QStringLiteral("old15   "));
    EXPECT_EQ(r.PS[16], QStringLiteral("old16"));
    EXPECT_EQ(r.PSDelay[9], 5);

    // A character outside the basic plane counts once.
    const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E");
    rebuildPsList(r, AutoUpdateType::Split, QString(7, u'a') + clef + QStringLiteral("bc"), 1, QDate(2027, 1, 5));
    EXPECT_EQ(r.PS[0], QString(7, u'a') + clef);
    EXPECT_EQ(r.PS[1], QStringLiteral("bc      "));
    EXPECT_EQ(r.PS[8], QStringLiteral(" 5.1.27 "));
    EXPECT_EQ(r.PSDelay[8], 1);
}

TEST(PsRebuild, ScrollWindows)
{
    struct Row {
        QString title;
        int delay;
        std::vector<QString> windows;
        int16_t lastDelay;
    };
    const Row rows[] = {
        {"ABCDEFGHIJ", 2, {"ABCDEFGH", "BCDEFGHI", "CDEFGHIJ", "DEFGHIJ "}, 4},
        {"ABCDEFGHIJ", 8, {"ABCDEFGH", "BCDEFGHI", "CDEFGHIJ", "DEFGHIJ "}, 9}, // the list ends at 9
        {"ABCDEFG", 2, {"ABCDEFG "}, 4}, // short titles are a single window
        {"ABC", 0, {"ABC     "}, 2},
    };
    for (const Row &row : rows) {
        SettingsRecord r = leftovers();
        rebuildPsList(r, AutoUpdateType::Scroll, row.title, row.delay, std::nullopt);
        const int last = static_cast<int>(row.windows.size()) - 1;
        for (int i = 0; i <= last; ++i)
            EXPECT_EQ(r.PS[i], row.windows[i]) << row.title.toStdString() << i;
        for (int i = 0; i < last; ++i)
            EXPECT_EQ(r.PSDelay[i], row.delay) << row.title.toStdString() << i;
        EXPECT_EQ(r.PSDelay[last], row.lastDelay) << row.title.toStdString();
        for (int i = last + 1; i <= 64; ++i) {
            EXPECT_EQ(r.PSDelay[i], 0) << i;
            EXPECT_EQ(r.PS[i], i <= 57 ? kBlank : QStringLiteral("old%1").arg(i)) << i;
        }
        EXPECT_EQ(r.PSDelay[65], 5);
    }
    // The longest title fills entries 0 to 57; with the date the scroll ends on it.
    SettingsRecord r = leftovers();
    rebuildPsList(r, AutoUpdateType::Scroll, QString(56, u'x') + QStringLiteral("12345678"), 1, QDate(2026, 12, 5));
    EXPECT_EQ(r.PS[56], QStringLiteral("12345678"));
    EXPECT_EQ(r.PS[57], QStringLiteral(" 5.12.26"));
    EXPECT_EQ(r.PSDelay[57], 3);
}

TEST(PsRebuild, DateTexts)
{
    const std::pair<QDate, const char *> rows[] = {{QDate(2026, 12, 5), " 5.12.26"}, {QDate(2027, 1, 15), " 15.1.27"},
        {QDate(2027, 1, 5), " 5.1.27 "}, {QDate(2026, 12, 15), "15.12.26"}, {QDate(2105, 3, 4), " 4.3.05 "}};
    for (const auto &[date, text] : rows)
        EXPECT_EQ(psDateText(date), QString::fromLatin1(text)) << text;
}
