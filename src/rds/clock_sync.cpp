#include "rds/clock_sync.h"

#include "link/encodings.h"
#include "rds/store_commands.h"
#include "settings/line_speed.h"

namespace zfm {

namespace {
// The pause the encoder needs after each clock frame.
constexpr int kClockFramePauseMs = 2000;
} // namespace

WireScript synchronizeTimeScript(const SettingsRecord &record)
{
    WireScript s;
    s.openWithLine(lineSettingsForSpeed(record.COMSpeed));

    s.frameHead(1, "TIME");
    s.status(QStringLiteral("Sending TIME and DATE to RDS encoder... 10%"), 1);
    s.status(QStringLiteral("Sending HOURS to RDS encoder... 20%"), 5);
    s.writeClock(ClockField::Hour).pause(kWritePauseMs);
    s.status(QStringLiteral("Sending MINUTES to RDS encoder... 30%"), 3);
    s.writeClock(ClockField::Minute).pause(kWritePauseMs);
    s.status(QStringLiteral("Sending SECONDS to RDS encoder... 40%"), 9);
    s.writeClock(ClockField::Second).pause(kWritePauseMs);
    s.write(QByteArray(1, kTerminator)).pause(kFramePauseMs).pause(kClockFramePauseMs);

    s.frameHead(1, "DATE");
    s.status(QStringLiteral("Sending YEAR to RDS encoder... 60%"), 13);
    s.writeClock(ClockField::Year).pause(kWritePauseMs);
    s.status(QStringLiteral("Sending MONTH to RDS encoder... 80%"), 16);
    s.writeClock(ClockField::Month).pause(kWritePauseMs);
    s.status(QStringLiteral("Sending DAY to RDS encoder... 90%"), 19);
    s.writeClock(ClockField::Day).pause(kWritePauseMs);
    s.write(QByteArray(1, kTerminator)).pause(kClockFramePauseMs);

    appendGctSwitch(s, record);
    s.pause(kWritePauseMs);
    appendSaveCommand(s);
    s.pause(kWritePauseMs);
    return s.close().ready();
}

QString pcTimeText(const QDateTime &now, const QLocale &locale)
{
    return locale.toString(now.time(), QLocale::ShortFormat);
}

QString pcDateText(const QDateTime &now, const QLocale &locale)
{
    return locale.toString(now.date(), QLocale::ShortFormat);
}

bool DailyClockSync::onClockTick(const QDateTime &now)
{
    // Compared as the wall clock shows them: on the night the clocks jump over
    // 03:15 the first tick after the jump is the one that crosses it, and the
    // repeated hour in autumn crosses it a second time on the same day only.
    const auto wall = [](const QDateTime &t) { return QDateTime(t.date(), t.time(), Qt::UTC); };
    // The latest 03:15:00 at or before now.
    QDate dueDay = now.date();
    if (now.time() < syncTime())
        dueDay = dueDay.addDays(-1);
    const QDateTime due(dueDay, syncTime(), Qt::UTC);
    bool fire = false;
    if (wall(previous_) < due && due <= wall(now) && dueDay != lastDueDay_) {
        lastDueDay_ = dueDay;
        const int year = now.date().year();
        fire = year >= kFirstSendableYear && year <= kLastSendableYear;
    }
    previous_ = now;
    return fire;
}

} // namespace zfm
