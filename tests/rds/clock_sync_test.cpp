// Setting the encoder's clock: "TIME" and "DATE" as offset bytes, their
// pacing, and the daily trigger at 03:15:00.
#include "link/clock.h"
#include "rds/clock_sync.h"
#include "support/printers.h"

#include <gtest/gtest.h>

using namespace zfm;

namespace {

QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

QDateTime dt(int y, int mo, int d, int h, int mi, int s, int ms = 0) { return {QDate(y, mo, d), QTime(h, mi, s, ms)}; }

} // namespace

TEST(ClockSyncScript, FramesCarryTheClockAsOffsetBytes)
{
    struct Row {
        QDateTime at;
        const char *time, *date; // hour minute second; year - 2004, month, day
    };
    const Row rows[] = {
        {dt(2026, 3, 7, 14, 5, 9), "12090d", "1a070b"},
        {dt(2004, 12, 31, 0, 0, 59), "04043f", "041023"},
        {dt(2255, 1, 1, 23, 59, 0), "1b3f04", "ff0505"},
    };
    SettingsRecord record;
    for (const Row &r : rows) {
        ManualClock clock(r.at);
        EXPECT_EQ(synchronizeTimeScript(record).bytes(clock).toHex(' '),
            (hex("0054494d4501") + hex(r.time) + hex("02 0044415445 01") + hex(r.date)
                + hex("02 0047435401 30 02 0053415645 01 30 02"))
                .toHex(' '));
    }
    record.GCT = 1; // "Send CT" goes along as it is set
    ManualClock clock;
    EXPECT_TRUE(synchronizeTimeScript(record).bytes(clock).contains(hex("0047435401 31 02")));
}

// The pause after each write: the encoder needs two seconds after "TIME" and
// after "DATE".
TEST(ClockSyncScript, Pacing)
{
    const WireScript s = synchronizeTimeScript(SettingsRecord());
    EXPECT_EQ(s.steps().front(), Step(step::Open{QStringLiteral("14400,N,8,1")}));
    EXPECT_EQ(s.steps()[s.steps().size() - 2], Step(step::Close{}));
    std::vector<int> gaps;
    for (const Step &st : s.steps()) {
        if (std::holds_alternative<step::Write>(st) || std::holds_alternative<step::WriteClock>(st))
            gaps.push_back(0);
        else if (const auto *p = std::get_if<step::Pause>(&st))
            gaps.back() += p->ms;
    }
    EXPECT_EQ(gaps,
        (std::vector<int>{10, 10, 10, 10, 10, 10, 50 + 2000, // 00 TIME 01 hh mm ss 02
            10, 10, 10, 10, 10, 10, 2000, // 00 DATE 01 yy mo dd 02: no frame pause
            10, 10, 10, 10, 50 + 10 + 100, // GCT, then the store command's own 100 ms
            10, 10, 10, 0, 10 + 100 + 10})); // 00 SAVE 01 "0" 02
}

TEST(DailyClockSync, FiresOnceWhenTheTicksCross0315)
{
    auto t = [](int day, int h, int m, int s, int ms = 0) { return dt(2026, 3, 9 + day, h, m, s, ms); };
    struct Tick {
        QDateTime time;
        bool fires;
    };
    const std::pair<const char *, std::vector<Tick>> rows[] = {
        {"drifting", {{t(0, 3, 14, 59, 600), 0}, {t(0, 3, 15, 0, 600), 1}, {t(0, 3, 15, 1, 600), 0}}},
        {"a day later", {{t(0, 3, 14, 59), 0}, {t(0, 3, 15, 0), 1}, {t(1, 3, 14, 59), 0}, {t(1, 3, 15, 0), 1}}},
        {"clock set back", {{t(0, 3, 14, 59), 0}, {t(0, 3, 15, 0), 1}, {t(0, 3, 10, 0), 0}, {t(0, 3, 15, 0), 0}}},
        {"PC wakes up", {{t(0, 1, 0, 0), 0}, {t(0, 7, 30, 0), 1}, {t(0, 7, 30, 1), 0}}},
        {"unsendable year", {{dt(2001, 1, 1, 3, 14, 59), 0}, {dt(2001, 1, 1, 3, 15, 0), 0}}},
    };
    for (const auto &[what, ticks] : rows) {
        DailyClockSync daily(ticks.front().time.addSecs(-1));
        for (const Tick &tick : ticks)
            EXPECT_EQ(daily.onClockTick(tick.time), tick.fires) << what << " " << tick.time.toString().toStdString();
    }
}

namespace {

// Pins the process's local time zone for the scope of a test.
struct LocalZone {
    explicit LocalZone(const char *zone)
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~LocalZone()
    {
        had ? qputenv("TZ", old) : qunsetenv("TZ");
        tzset();
    }
    const QByteArray old = qgetenv("TZ");
    const bool had = qEnvironmentVariableIsSet("TZ");
};

} // namespace

// Second-by-second ticks through the night of each change of the year, in a
// zone whose clocks jump over 03:15 in spring and pass it twice in autumn.
TEST(DailyClockSync, FiresOnceOnTheNightsTheClocksChange)
{
    LocalZone helsinki("Europe/Helsinki");
    const std::tuple<QDate, const char *, int> rows[] = {
        {QDate(2027, 3, 28), "04:00:00", 3}, // 03:00 becomes 04:00: the first tick after the jump
        {QDate(2027, 10, 31), "03:15:00", 2}, // 04:00 becomes 03:00: the first 03:15 only
        {QDate(2027, 6, 1), "03:15:00", 3},
    };
    for (const auto &[day, at, utcOffsetHours] : rows) {
        const QDateTime start(day, QTime(0, 0));
        ASSERT_EQ(QDateTime(day, QTime(12, 0)).offsetFromUtc(), utcOffsetHours * 3600) << "no time zone data";
        DailyClockSync daily(start.addSecs(-1));
        QStringList fired;
        for (qint64 ms = start.toMSecsSinceEpoch(); ms < start.toMSecsSinceEpoch() + 8 * 3600 * 1000; ms += 1000) {
            const QDateTime now = QDateTime::fromMSecsSinceEpoch(ms);
            if (daily.onClockTick(now))
                fired << now.time().toString(u"HH:mm:ss");
        }
        EXPECT_EQ(fired.join(u' '), QString::fromLatin1(at)) << day.toString(Qt::ISODate).toStdString();
    }
}
