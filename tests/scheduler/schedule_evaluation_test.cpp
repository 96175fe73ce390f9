// Reading the ticked scheme lines by their columns and evaluating them against
// the clock: once per minute, today's lines only, first match wins, the
// midnight line after a change, unreadable lines passed over, and the timer
// handler with the scheduler off or the link busy.
#include "link/clock.h"
#include "scheduler/schedule_evaluation.h"

#include <gtest/gtest.h>

using namespace zfm;

namespace {

// 2026-03-09 is a Monday; day offsets 0..6 run Monday to Sunday.
QDateTime at(int dayOffset, int h, int m, int s = 0, int ms = 0)
{
    return QDateTime(QDate(2026, 3, 9).addDays(dayOffset), QTime(h, m, s, ms));
}

enum { Mon, Tue, Wed, Thu, Fri, Sat, Sun };

struct Tick {
    QDateTime time;
    std::optional<int32_t> appliedKHz; // nothing: no scheme applied at this tick
};

class Evaluation : public ::testing::Test {
protected:
    Evaluation() { record.SchemeEnable = 1; }

    std::optional<SchemeMatch> tickAt(const QDateTime &t, bool busy = false)
    {
        clock.set(t);
        return evaluator.onTimerSchedule(record, busy);
    }
    void expectTicks(const std::vector<Tick> &ticks)
    {
        for (const Tick &t : ticks) {
            const auto m = tickAt(t.time);
            EXPECT_EQ(m ? std::optional(m->frequencyKHz) : std::nullopt, t.appliedKHz)
                << t.time.toString(Qt::ISODate).toStdString();
        }
    }

    SettingsRecord record;
    ManualClock clock{at(Mon, 0, 0)};
    ScheduleEvaluator evaluator{clock};
};

} // namespace

TEST(ParseSchemes, ReadsTickedLinesByTheirColumns)
{
    const std::vector<SchemeEntry> list = {
        {QStringLiteral("07:30   99.500MHz  50%  DAILY"), true},
        {QStringLiteral("08:00   99.500MHz  50%  DAILY"), false},
        {QStringLiteral("18:05  107.900MHz 100%  MO WE FR"), true},
        {QStringLiteral("12:00   87.500MHz  05%  SU MO"), true},
        {QStringLiteral("-1:00   99.500MHz  50%  SA"), true},
        {QStringLiteral(" 6: 7   99.500MHz   7%  TH"), true},
        {QStringLiteral("hello"), true},
    };
    const std::vector<SchemeTableEntry> expected = {
        {7, 30, QStringLiteral("99.500MHz"), 50, QStringLiteral("1234567"), 0},
        {18, 5, QStringLiteral("107.900MHz"), 100, QStringLiteral("135"), 2},
        // Day digits come Monday first whatever the line's order.
        {12, 0, QStringLiteral("87.500MHz"), 5, QStringLiteral("17"), 3},
        {kNoTime, kNoTime, QStringLiteral("99.500MHz"), 50, QStringLiteral("6"), 4},
        {6, 7, QStringLiteral("99.500MHz"), 7, QStringLiteral("4"), 5},
        {0, 0, QString(), 0, QString(), 6},
    };
    EXPECT_EQ(ParseSchemes(list), expected);
    EXPECT_TRUE(ParseSchemes({}).empty());
    EXPECT_TRUE(ParseSchemes({{QStringLiteral("07:30   99.500MHz  50%  DAILY"), false}}).empty());
}

TEST_F(Evaluation, DailyLineAppliesOnceInItsMinuteEveryDay)
{
    record.SchemeList = {{QStringLiteral("06:00   98.000MHz  40%  DAILY"), true}};
    expectTicks({
        {at(Mon, 5, 59, 59), {}},
        {at(Mon, 6, 0, 0), 98000},
        {at(Mon, 6, 0, 1), {}},
        {at(Mon, 6, 0, 30), {}},
        {at(Mon, 6, 1, 0), {}},
        {at(Tue, 6, 0, 0, 700), 98000},
        {at(Sun, 6, 0, 59), 98000},
    });
}

TEST_F(Evaluation, MatchSetsFrequencyAndPowerOnly)
{
    record.SchemeList = {{QStringLiteral("06:00   98.000MHz  40%  DAILY"), true}};
    SettingsRecord before = record;
    const auto m = tickAt(at(Wed, 6, 0));
    ASSERT_TRUE(m);
    EXPECT_EQ(*m, (SchemeMatch{98000, 40, 0}));
    applyScheme(record, *m);
    EXPECT_EQ(record.TXFrequency, 98000);
    EXPECT_EQ(record.TXPower, 40);
    record.TXFrequency = before.TXFrequency;
    record.TXPower = before.TXPower;
    EXPECT_EQ(record.SchemeList, before.SchemeList);
    EXPECT_EQ(record.PS, before.PS);
    EXPECT_EQ(record.TXStereo, before.TXStereo);
}

TEST_F(Evaluation, EachLineActsOnItsOwnWeekdaysOnly)
{
    // One line per day code, each with its own frequency, all at 12:00.
    const char *codes[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
    for (int d = 0; d < 7; ++d) {
        record.SchemeList.push_back(
            {QStringLiteral("12:00  %1MHz  50%  %2")
                    .arg(QStringLiteral("100.%1").arg(d * 50, 3, 10, QLatin1Char('0')), QLatin1String(codes[d])),
                true});
    }
    record.SchemeList.push_back({QStringLiteral("23:59  108.000MHz 100%  SA SU"), true});
    for (int d = Mon; d <= Sun; ++d) {
        EXPECT_EQ(tickAt(at(d, 12, 0)).value_or(SchemeMatch{}).frequencyKHz, 100000 + d * 50) << d;
        EXPECT_EQ(tickAt(at(d, 23, 59)).has_value(), d == Sat || d == Sun) << d;
    }
}

TEST_F(Evaluation, FirstOfTwoLinesAtTheSameMinuteWins)
{
    record.SchemeList = {
        {QStringLiteral("06:00  101.000MHz  60%  MO"), false},
        {QStringLiteral("06:00   98.000MHz  40%  MO TU"), true},
        {QStringLiteral("06:00   99.000MHz  30%  DAILY"), true},
    };
    expectTicks({{at(Mon, 6, 0), 98000}, {at(Wed, 6, 0), 99000}});
}

TEST_F(Evaluation, AChangedScheduleAppliesTodaysMidnightLineAtTheNextTick)
{
    record.SchemeList = {
        {QStringLiteral("00:00   99.000MHz  80%  MO"), true},
        {QStringLiteral("00:00  101.000MHz  80%  TU"), true},
    };
    expectTicks({{at(Mon, 14, 0, 0), {}}});
    // A scheme is modified at 14:00 the same minute.
    record.ScheduleChanged = true;
    expectTicks({{at(Mon, 14, 0, 20), 99000}, {at(Mon, 14, 0, 21), {}}, {at(Mon, 14, 1, 0), {}}});
    EXPECT_FALSE(record.ScheduleChanged);
    // On Tuesday the change brings Tuesday's line.
    record.ScheduleChanged = true;
    expectTicks({{at(Tue, 9, 30), 101000}});
    // Without a change midnight lines act at midnight only.
    expectTicks({{at(Wed, 0, 0), {}}, {at(Tue + 7, 0, 0), 101000}});
}

TEST_F(Evaluation, NothingTickedOrNoLinesAppliesNothing)
{
    record.SchemeList = {{QStringLiteral("06:00   98.000MHz  40%  DAILY"), false}};
    expectTicks({{at(Mon, 6, 0), {}}});
    EXPECT_FALSE(evaluator.ScheduleActive());
    record.SchemeList.clear();
    expectTicks({{at(Tue, 6, 0), {}}});
    record.SchemeList = {{QStringLiteral("06:00   98.000MHz  40%  DAILY"), true}};
    expectTicks({{at(Wed, 6, 0), 98000}});
    EXPECT_TRUE(evaluator.ScheduleActive());
}

// Stored lines the editor never writes are passed over; a readable line
// behind them still applies.
TEST_F(Evaluation, UnreadableLinesAreNeverApplied)
{
    const char *unreadable[] = {
        "06:00   98500MHz  40%  DAILY", // no "."
        "06:00   98.525MHz  40%  DAILY", // off the 50 kHz raster
        "06:00   98.5MHz  40%  DAILY", // reads as 98005 kHz
        "06:00  120.000MHz  40%  DAILY", // outside the band
        "06:00    0.000MHz  40%  DAILY",
        "06:00   98.000MHz  -5%  DAILY", // negative power
        "00:00 DAILY", // a bare midnight line after a change
    };
    for (const char *line : unreadable)
        record.SchemeList.push_back({QLatin1String(line), true});
    record.ScheduleChanged = true;
    expectTicks({{at(Mon, 6, 0), {}}});
    EXPECT_EQ(evaluator.SchemeTables().size(), std::size(unreadable));

    record.SchemeList.push_back({QStringLiteral("06:00   98.000MHz  40%  DAILY"), true});
    record.ScheduleChanged = true;
    const auto m = tickAt(at(Mon, 6, 0, 5));
    ASSERT_TRUE(m);
    EXPECT_EQ(*m, (SchemeMatch{98000, 40, static_cast<int>(std::size(unreadable))}));
}

TEST_F(Evaluation, SchedulerOffEvaluatesNothingAndKeepsTheLastMinute)
{
    record.SchemeList = {{QStringLiteral("06:00   98.000MHz  40%  DAILY"), true}};
    expectTicks({{at(Mon, 5, 59, 59), {}}});
    const EvaluatedMinute last = evaluator.LastEvaluatedMinute();
    EXPECT_EQ(last, (EvaluatedMinute{2, 5, 59})); // Monday is 2 when Sunday is 1

    record.SchemeEnable = 0;
    expectTicks({{at(Mon, 6, 0, 0), {}}, {at(Mon, 6, 0, 30), {}}});
    EXPECT_EQ(evaluator.LastEvaluatedMinute(), last);
    // Switched on again within the minute: it is still evaluated.
    record.SchemeEnable = 1;
    expectTicks({{at(Mon, 6, 0, 40), 98000}});
    EXPECT_EQ(evaluator.LastEvaluatedMinute(), (EvaluatedMinute{2, 6, 0}));

    // A minute evaluated before switching off is not evaluated again.
    record.SchemeEnable = 0;
    record.SchemeEnable = 1;
    expectTicks({{at(Mon, 6, 0, 50), {}}});
    EXPECT_TRUE(tickAt(at(Sun, 6, 0)));
    EXPECT_EQ(evaluator.LastEvaluatedMinute(), (EvaluatedMinute{1, 6, 0}));
}

TEST_F(Evaluation, ABusyLinkPostponesTheMinuteUntilItIsFree)
{
    record.SchemeList = {{QStringLiteral("06:00   98.000MHz  40%  DAILY"), true}};
    expectTicks({{at(Mon, 5, 59, 59), {}}});
    // An upload runs across the start of the minute.
    EXPECT_FALSE(tickAt(at(Mon, 6, 0, 0), true));
    EXPECT_FALSE(tickAt(at(Mon, 6, 0, 1), true));
    EXPECT_EQ(evaluator.LastEvaluatedMinute(), (EvaluatedMinute{2, 5, 59}));
    expectTicks({{at(Mon, 6, 0, 2), 98000}, {at(Mon, 6, 0, 3), {}}});

    // Busy for the whole minute: nothing is caught up afterwards.
    for (int s = 0; s < 60; ++s)
        EXPECT_FALSE(tickAt(at(Tue, 6, 0, s), true));
    expectTicks({{at(Tue, 6, 1, 0), {}}});
}
