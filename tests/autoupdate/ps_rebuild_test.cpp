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
    // Entry, text, delay. Entry 8 leaves the rotation: no stale date on air.
    const std::tuple<int, QString, int16_t> rows[] = {{0, "ABCDEFGH", 3}, {1, "IJ      ", 3}, {2, kBlank, 0},
        {7, kBlank, 0}, {8, "old8    ", 0}, {15, "old15   ", 5}, {16, "old16", 5}};
    for (const auto &[k, text, delay] : rows)
        EXPECT_EQ(std::pair(r.PS[k], r.PSDelay[k]), std::pair(text, delay)) << k;

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
        std::optional<QDate> date = std::nullopt;
    };
    const QDate day(2026, 12, 5);
    const Row rows[] = {
        {"ABCDEFGHIJ", 2, {"ABCDEFGH", "BCDEFGHI", "CDEFGHIJ", "DEFGHIJ "}, 4},
        {"ABCDEFGHIJ", 8, {"ABCDEFGH", "BCDEFGHI", "CDEFGHIJ", "DEFGHIJ "}, 9}, // the list ends at 9
        {"ABCDEFG", 2, {"ABCDEFG "}, 4}, // short titles are a single window
        {"ABC", 0, {"ABC     "}, 2},
        // The date takes the last window's place...
        {"ABCDEFGHIJ", 2, {"ABCDEFGH", "BCDEFGHI", "CDEFGHIJ", " 5.12.26"}, 4, day},
        {"ABCDEFGH", 1, {"ABCDEFGH", " 5.12.26"}, 3, day},
        // ...but never the only one: a short title stays on air.
        {"ABCDEFG", 2, {"ABCDEFG ", " 5.12.26"}, 4, day},
        {"AB", 9, {"AB      ", " 5.12.26"}, 9, day},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.title.toStdString());
        SettingsRecord r = leftovers();
        rebuildPsList(r, AutoUpdateType::Scroll, row.title, row.delay, row.date);
        const int last = static_cast<int>(row.windows.size()) - 1;
        for (int i = 0; i <= 64; ++i) {
            const QString text = i <= last ? row.windows[i] : i <= 57 ? kBlank : QStringLiteral("old%1").arg(i);
            const int delay = i < last ? row.delay : i == last ? row.lastDelay : 0;
            EXPECT_EQ(std::pair(r.PS[i], int(r.PSDelay[i])), std::pair(text, delay)) << i;
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
