// The ticked lines read by their columns and evaluated against the clock.
#include "link/clock.h"
#include "scheduler/schedule_evaluation.h"

#include <gtest/gtest.h>

using namespace zfm;

namespace {

enum { Mon, Tue, Wed, Thu, Fri, Sat, Sun };
// 2026-03-09 is a Monday.
QDateTime at(int day, int h, int m, int s = 0) { return QDateTime(QDate(2026, 3, 9).addDays(day), QTime(h, m, s)); }

const QString k0600 = QStringLiteral("06:00   98.000MHz  40%  DAILY");

class Evaluation : public ::testing::Test {
protected:
    Evaluation() { record.SchemeEnable = 1; }

    // The frequency applied by a tick at `t`, 0 for none.
    int32_t tick(const QDateTime &t, bool busy = false)
    {
        clock.set(t);
        const auto m = evaluator.onTimerSchedule(record, busy);
        return m ? m->frequencyKHz : 0;
    }

    SettingsRecord record;
    ManualClock clock;
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
        {12, 0, QStringLiteral("87.500MHz"), 5, QStringLiteral("17"), 3},
        {kNoTime, kNoTime, QStringLiteral("99.500MHz"), 50, QStringLiteral("6"), 4},
        {6, 7, QStringLiteral("99.500MHz"), 7, QStringLiteral("4"), 5},
        {0, 0, QString(), 0, QString(), 6},
    };
    EXPECT_EQ(ParseSchemes(list), expected);
}

TEST_F(Evaluation, EachMinuteOnceTodaysLinesOnlyFirstMatchWins)
{
    record.SchemeList = {{QStringLiteral("06:00  101.000MHz  60%  MO"), false}, {k0600, true},
        {QStringLiteral("06:00   99.000MHz  30%  DAILY"), true},
        {QStringLiteral("23:59  108.000MHz 100%  SA SU"), true}};
    const std::pair<QDateTime, int32_t> ticks[] = {{at(Mon, 5, 59, 59), 0}, {at(Mon, 6, 0, 0), 98000},
        {at(Mon, 6, 0, 30), 0}, {at(Mon, 6, 1, 0), 0}, {at(Tue, 6, 0, 59), 98000}};
    for (const auto &[t, kHz] : ticks)
        EXPECT_EQ(tick(t), kHz) << t.toString().toStdString();
    for (int d = Mon; d <= Sun; ++d)
        EXPECT_EQ(tick(at(d, 23, 59)), d >= Sat ? 108000 : 0) << d;

    clock.set(at(Sun, 6, 0));
    const auto m = evaluator.CompareTime(record);
    ASSERT_TRUE(m);
    applyScheme(record, *m);
    EXPECT_EQ(std::pair(record.TXFrequency, record.TXPower), std::pair(98000, int16_t(40)));
    EXPECT_EQ(evaluator.LastEvaluatedMinute(), (EvaluatedMinute{1, 6, 0})); // Sunday is 1
}

TEST_F(Evaluation, AChangeAppliesTodaysMidnightLineAtTheNextTick)
{
    record.SchemeList
        = {{QStringLiteral("00:00   99.000MHz  80%  MO"), true}, {QStringLiteral("00:00  101.000MHz  80%  TU"), true}};
    EXPECT_EQ(tick(at(Mon, 14, 0, 0)), 0);
    record.ScheduleChanged = true; // a scheme modified at 14:00
    EXPECT_EQ(tick(at(Mon, 14, 0, 20)), 99000);
    EXPECT_FALSE(record.ScheduleChanged);
    EXPECT_EQ(tick(at(Mon, 14, 0, 21)), 0);
    EXPECT_EQ(tick(at(Wed, 0, 0)), 0);
    EXPECT_EQ(tick(at(Tue + 7, 0, 0)), 101000);
}

// Unticked lines, an empty list and stored lines the editor never writes are
// passed over; a readable ticked line behind them applies.
TEST_F(Evaluation, OnlyReadableTickedLinesApply)
{
    record.SchemeList = {{k0600, false}};
    EXPECT_EQ(tick(at(Mon, 6, 0)), 0);
    EXPECT_FALSE(evaluator.ScheduleActive());
    record.SchemeList.clear();
    EXPECT_EQ(tick(at(Tue, 6, 0)), 0);
    for (const char *line :
        {"06:00   98500MHz  40%  DAILY", "06:00   98.525MHz  40%  DAILY", "06:00   98.5MHz  40%  DAILY",
            "06:00  120.000MHz  40%  DAILY", "06:00   98.000MHz  -5%  DAILY", "00:00 DAILY"})
        record.SchemeList.push_back({QLatin1String(line), true});
    record.ScheduleChanged = true;
    EXPECT_EQ(tick(at(Wed, 6, 0)), 0);
    record.SchemeList.push_back({k0600, true});
    EXPECT_EQ(tick(at(Thu, 6, 0)), 98000);
}

TEST_F(Evaluation, SchedulerOffOrLinkBusyLeaveTheMinuteToALaterTick)
{
    record.SchemeList = {{k0600, true}};
    EXPECT_EQ(tick(at(Mon, 5, 59, 59)), 0);
    const EvaluatedMinute last = evaluator.LastEvaluatedMinute();
    record.SchemeEnable = 0;
    EXPECT_EQ(tick(at(Mon, 6, 0, 0)), 0);
    EXPECT_EQ(evaluator.LastEvaluatedMinute(), last);
    record.SchemeEnable = 1;
    EXPECT_EQ(tick(at(Mon, 6, 0, 1), true), 0);
    EXPECT_EQ(evaluator.LastEvaluatedMinute(), last);
    EXPECT_EQ(tick(at(Mon, 6, 0, 2)), 98000);
    EXPECT_EQ(tick(at(Mon, 6, 0, 3)), 0);
    // Busy for the whole minute: nothing is caught up.
    for (int s = 0; s < 60; ++s)
        tick(at(Tue, 6, 0, s), true);
    EXPECT_EQ(tick(at(Tue, 6, 1, 0)), 0);
}
