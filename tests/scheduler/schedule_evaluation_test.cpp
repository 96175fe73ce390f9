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
    int32_t tick(const QDateTime &t)
    {
        clock.set(t);
        const auto m = evaluator.onTick(record);
        return m ? m->frequencyKHz : 0;
    }

    SettingsRecord record;
    ManualClock clock;
    ScheduleEvaluator evaluator{clock};
};

} // namespace

TEST_F(Evaluation, EachMinuteOnceTodaysLinesOnlyFirstMatchWins)
{
    record.schemeList = {{QStringLiteral("06:00  101.000MHz  60%  MO"), false}, {k0600, true},
        {QStringLiteral("06:00   99.000MHz  30%  DAILY"), true},
        {QStringLiteral("23:59  108.000MHz 100%  SA SU"), true}};
    const std::pair<QDateTime, int32_t> ticks[] = {{at(Mon, 5, 59, 59), 0}, {at(Mon, 6, 0, 0), 98000},
        {at(Mon, 6, 0, 30), 0}, {at(Mon, 6, 1, 0), 0}, {at(Tue, 6, 0, 59), 98000}};
    for (const auto &[t, kHz] : ticks)
        EXPECT_EQ(tick(t), kHz) << t.toString().toStdString();
    for (int d = Mon; d <= Sun; ++d)
        EXPECT_EQ(tick(at(d, 23, 59)), d >= Sat ? 108000 : 0) << d;
}

TEST_F(Evaluation, AChangeAppliesTodaysMidnightLineAtTheNextTick)
{
    record.schemeList
        = {{QStringLiteral("00:00   99.000MHz  80%  MO"), true}, {QStringLiteral("00:00  101.000MHz  80%  TU"), true}};
    EXPECT_EQ(tick(at(Mon, 14, 0, 0)), 0);
    record.scheduleChanged = true; // a scheme modified at 14:00
    EXPECT_EQ(tick(at(Mon, 14, 0, 20)), 99000);
    EXPECT_FALSE(record.scheduleChanged);
    EXPECT_EQ(tick(at(Mon, 14, 0, 21)), 0);
    EXPECT_EQ(tick(at(Wed, 0, 0)), 0);
    EXPECT_EQ(tick(at(Tue + 7, 0, 0)), 101000);
}

// Unticked lines, an empty list and stored lines the editor never writes are
// passed over; a ticked line behind them applies, its columns read leniently.
TEST_F(Evaluation, OnlyReadableTickedLinesApply)
{
    record.schemeList = {{k0600, false}};
    EXPECT_EQ(tick(at(Mon, 6, 0)), 0);
    record.schemeList.clear();
    EXPECT_EQ(tick(at(Tue, 6, 0)), 0);
    for (const char *line : {"06:00   98500MHz  40%  DAILY", "06:00   98.525MHz  40%  DAILY",
             "06:00   98.5MHz  40%  DAILY", "06:00  120.000MHz  40%  DAILY", "06:00   98.000MHz  -5%  DAILY",
             "00:00 DAILY", "-6:00   98.000MHz  40%  DAILY", "hello"})
        record.schemeList.push_back({QLatin1String(line), true});
    record.scheduleChanged = true;
    EXPECT_EQ(tick(at(Wed, 6, 0)), 0);
    record.schemeList.push_back({QStringLiteral(" 6: 0   98.000MHz  40%  TH"), true});
    EXPECT_EQ(tick(at(Thu, 6, 0)), 98000);
}

// A tick with the scheduler off leaves the minute to the next tick; off for
// the whole minute, nothing is caught up.
TEST_F(Evaluation, SchedulerOffLeavesTheMinuteToALaterTick)
{
    record.schemeList = {{k0600, true}};
    EXPECT_EQ(tick(at(Mon, 5, 59, 59)), 0);
    record.SchemeEnable = 0;
    EXPECT_EQ(tick(at(Mon, 6, 0, 0)), 0);
    record.SchemeEnable = 1;
    EXPECT_EQ(tick(at(Mon, 6, 0, 2)), 98000);
    record.SchemeEnable = 0;
    for (int s = 0; s < 60; ++s)
        tick(at(Tue, 6, 0, s));
    record.SchemeEnable = 1;
    EXPECT_EQ(tick(at(Tue, 6, 1, 0)), 0);
}
