// Setting the encoder's clock: the bytes of "TIME" and "DATE" with each
// component read as it is written, the pacing and status texts, a real run on
// a pseudo-terminal, and the daily trigger at 03:15:00.
#include "link/clock.h"
#include "link/link_runner.h"
#include "link/serial_link.h"
#include "rds/clock_sync.h"
#include "support/pty_capture.h"
#include "support/wait.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace zfm;

namespace {

QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

// Reads `first` once, then `rest` for every later reading.
struct SteppingClock final : Clock {
    SteppingClock(QDateTime f, QDateTime r) : first(std::move(f)), rest(std::move(r)) { }
    QDateTime now() const override { return reads++ == 0 ? first : rest; }
    QDateTime first, rest;
    mutable int reads = 0;
};

// For each write: the sum of the pauses until the next write.
std::vector<int> gapsAfterWrites(const WireScript &s)
{
    std::vector<int> gaps;
    for (const Step &step : s.steps()) {
        if (std::holds_alternative<step::Write>(step) || std::holds_alternative<step::WriteClock>(step))
            gaps.push_back(0);
        else if (const auto *p = std::get_if<step::Pause>(&step); p && !gaps.empty())
            gaps.back() += p->ms;
    }
    return gaps;
}

// Each status with the number of bytes written before it.
std::vector<std::pair<QString, int>> statusPlaces(const WireScript &s)
{
    std::vector<std::pair<QString, int>> places;
    int written = 0;
    for (const Step &step : s.steps()) {
        if (const auto *w = std::get_if<step::Write>(&step))
            written += static_cast<int>(w->bytes.size());
        else if (std::holds_alternative<step::WriteClock>(step))
            ++written;
        else if (const auto *st = std::get_if<step::Status>(&step))
            places.emplace_back(QStringLiteral("%1 [%2]").arg(st->text).arg(st->progress), written);
        else if (std::holds_alternative<step::Ready>(step))
            places.emplace_back(QStringLiteral("Ready [0]"), written);
    }
    return places;
}

} // namespace

TEST(SynchronizeTime, FramesCarryTheClockAsOffsetBytes)
{
    struct Row {
        QDateTime now;
        const char *time; // hour, minute, second
        const char *date; // year - 2004, month, day
    };
    const Row rows[] = {
        {QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9)), "12090d", "1a070b"},
        {QDateTime(QDate(2004, 12, 31), QTime(0, 0, 59)), "04043f", "041023"},
        {QDateTime(QDate(2255, 1, 1), QTime(23, 59, 0)), "1b3f04", "ff0505"},
    };
    SettingsRecord record;
    const WireScript script = SynchronizeTime(record);
    for (const Row &r : rows) {
        ManualClock clock(r.now);
        EXPECT_EQ(script.bytes(clock).toHex(' '),
            (hex("0054494d4501") + hex(r.time) + hex("02") + hex("0044415445 01") + hex(r.date) + hex("02")
                + hex("0047435401 30 02") + hex("0053415645 01 30 02"))
                .toHex(' '))
            << r.now.toString(Qt::ISODate).toStdString();
    }
    // "Send CT" goes along as it is set.
    record.GCT = 1;
    ManualClock clock;
    EXPECT_TRUE(SynchronizeTime(record).bytes(clock).contains(hex("0047435401 31 02")));
}

TEST(SynchronizeTime, EachComponentIsReadWhenItIsWritten)
{
    // The hour changes between the hour and the minute readings.
    SteppingClock clock(QDateTime(QDate(2026, 3, 7), QTime(13, 59, 59)), QDateTime(QDate(2026, 3, 7), QTime(14, 0, 0)));
    const QByteArray bytes = SynchronizeTime(SettingsRecord()).bytes(clock);
    EXPECT_EQ(bytes.left(10).toHex(' '), hex("0054494d4501 110404 02").toHex(' '));
}

TEST(SynchronizeTime, PacingAndStatusTextsSitInTheirPlaces)
{
    const WireScript s = SynchronizeTime(SettingsRecord());
    // Opened with the line settings of "COMSpeed"; closed at the end.
    ASSERT_FALSE(s.steps().empty());
    EXPECT_EQ(s.steps().front(), Step(step::Open{LineSource::ComSpeed, {}, false}));
    EXPECT_EQ(s.steps()[s.steps().size() - 2], Step(step::Close{}));
    EXPECT_EQ(s.steps().back(), Step(step::Ready{}));

    const std::vector<int> gaps = {
        10, 10, 10, 10, 10, 10, 50 + 2000, // 00 TIME 01 hh mm ss 02
        10, 10, 10, 10, 10, 10, 2000, // 00 DATE 01 yy mo dd 02: no frame pause
        10, 10, 10, 10, 50 + 10 + 100, // 00 GCT 01 value 02, then SAVE's own 100 ms
        10, 10, 10, 0, 10 + 100 + 10, // 00 SAVE 01 "0" 02 with nothing between "0" and 02
    };
    EXPECT_EQ(gapsAfterWrites(s), gaps);
    EXPECT_EQ(s.totalPauseMs(), 4520);

    const std::vector<std::pair<QString, int>> places = {
        {QStringLiteral("Sending TIME and DATE to RDS encoder... 10% [1]"), 6},
        {QStringLiteral("Sending HOURS to RDS encoder... 20% [5]"), 6},
        {QStringLiteral("Sending MINUTES to RDS encoder... 30% [3]"), 7},
        {QStringLiteral("Sending SECONDS to RDS encoder... 40% [9]"), 8},
        {QStringLiteral("Sending YEAR to RDS encoder... 60% [13]"), 16},
        {QStringLiteral("Sending MONTH to RDS encoder... 80% [16]"), 17},
        {QStringLiteral("Sending DAY to RDS encoder... 90% [19]"), 18},
        {QStringLiteral("Sending store settings command... [19]"), 33},
        {QStringLiteral("Ready [0]"), 35},
    };
    EXPECT_EQ(statusPlaces(s), places);
}

// The whole operation on a real pseudo-terminal, across a new year's midnight:
// only the hour is read before the clock turns.
TEST(SynchronizeTime, RunsOnTheLineAndLeavesThePortClosed)
{
    constexpr int kCom = 4;
    test::PtyCapture capture;
    SettingsRecord record;
    record.COMSelected = kCom;
    record.COMDevice[kCom] = capture.path();
    record.COMSpeed = 2;
    SteppingClock clock(
        QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 900)), QDateTime(QDate(2027, 1, 1), QTime(0, 0, 0, 100)));
    SerialLink link(record, &record.LineSettings);
    LinkRunner runner(link, clock);
    QSignalSpy statuses(&runner, &LinkRunner::statusChanged);

    std::optional<LinkRunner::Outcome> outcome;
    ASSERT_TRUE(runner.start(SynchronizeTime(record), [&](LinkRunner::Outcome o) { outcome = o; }));
    ASSERT_TRUE(test::runUntil([&] { return outcome.has_value(); }, 20000));
    EXPECT_EQ(*outcome, LinkRunner::Outcome::Completed);
    ASSERT_TRUE(capture.waitForBytes(35));
    EXPECT_EQ(capture.bytes().toHex(' '),
        hex("0054494d4501 1b0404 02"
            "0044415445 01 1b0505 02"
            "0047435401 30 02"
            "0053415645 01 30 02")
            .toHex(' '));
    EXPECT_EQ(clock.reads, 6);
    EXPECT_FALSE(link.isOpen());
    ASSERT_GE(statuses.count(), 2);
    EXPECT_EQ(statuses.last().at(0).toString(), QStringLiteral("Ready"));
    EXPECT_EQ(statuses.last().at(1).toDouble(), 0.0);
    // The line was set from "COMSpeed" before opening.
    EXPECT_EQ(record.LineSettings, QStringLiteral("9600,N,8,1"));
}

TEST(DailyClockSync, FiresOnceWhenTheTicksCross0315)
{
    const QDate day(2026, 3, 9);
    auto t = [&](int dayOffset, int h, int m, int s, int ms = 0) {
        return QDateTime(day.addDays(dayOffset), QTime(h, m, s, ms));
    };
    struct Tick {
        QDateTime time;
        bool busy;
        bool fires;
    };
    struct Row {
        const char *what;
        QDateTime startedAt;
        std::vector<Tick> ticks;
    };
    const Row rows[] = {
        {"one second after another", t(0, 3, 14, 57),
            {{t(0, 3, 14, 58), false, false}, {t(0, 3, 14, 59), false, false}, {t(0, 3, 15, 0), false, true},
                {t(0, 3, 15, 1), false, false}}},
        {"a drifting timer that never reads 03:15:00", t(0, 3, 14, 58, 600),
            {{t(0, 3, 14, 59, 600), false, false}, {t(0, 3, 15, 0, 600), false, true},
                {t(0, 3, 15, 1, 600), false, false}}},
        {"a late tick skipping the second", t(0, 3, 14, 58),
            {{t(0, 3, 14, 59), false, false}, {t(0, 3, 15, 1), false, true}, {t(0, 3, 15, 2), false, false}}},
        {"two ticks in the same second", t(0, 3, 14, 59, 100),
            {{t(0, 3, 15, 0, 0), false, true}, {t(0, 3, 15, 0, 900), false, false}}},
        {"again a day later", t(0, 3, 14, 59),
            {{t(0, 3, 15, 0), false, true}, {t(1, 3, 14, 59), false, false}, {t(1, 3, 15, 0), false, true}}},
        {"once a day even when the clock is set back", t(0, 3, 14, 59),
            {{t(0, 3, 15, 0), false, true}, {t(0, 3, 10, 0), false, false}, {t(0, 3, 15, 0), false, false},
                {t(1, 3, 15, 0), false, true}}},
        {"started after 03:15", t(0, 3, 15, 0, 300),
            {{t(0, 3, 15, 1, 300), false, false}, {t(0, 12, 0, 0), false, false}}},
        {"a PC waking up after 03:15", t(0, 1, 0, 0), {{t(0, 7, 30, 0), false, true}, {t(0, 7, 30, 1), false, false}}},
        {"due while the link is busy: once it is free", t(0, 3, 14, 58),
            {{t(0, 3, 14, 59), false, false}, {t(0, 3, 15, 0), true, false}, {t(0, 3, 15, 1), true, false},
                {t(0, 3, 15, 2), false, true}, {t(0, 3, 15, 3), false, false}}},
        {"midnight is nothing special", t(0, 23, 59, 58),
            {{t(0, 23, 59, 59), false, false}, {t(1, 0, 0, 0), false, false}}},
        {"a PC clock the encoder cannot take", QDateTime(QDate(2001, 1, 1), QTime(3, 14, 59)),
            {{QDateTime(QDate(2001, 1, 1), QTime(3, 15, 0)), false, false},
                {QDateTime(QDate(2001, 1, 1), QTime(3, 15, 1)), false, false}}},
    };
    for (const Row &row : rows) {
        DailyClockSync daily(row.startedAt);
        for (const Tick &tick : row.ticks) {
            EXPECT_EQ(daily.onClockTick(tick.time, tick.busy), tick.fires)
                << row.what << " at " << tick.time.toString(Qt::ISODateWithMs).toStdString();
        }
        EXPECT_FALSE(daily.isPending()) << row.what;
    }
}
