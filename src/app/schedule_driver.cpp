#include "app/schedule_driver.h"

#include "app/station.h"
#include "link/clock.h"

namespace zfm {

ScheduleDriver::ScheduleDriver(Station &station, QObject *parent)
    : QObject(parent), station_(station), evaluator_(station.clock()), daily_(station.clock().now())
{
    scheduleTimer_.setInterval(kTickMs);
    clockTimer_.setInterval(kTickMs);
    connect(&scheduleTimer_, &QTimer::timeout, this, &ScheduleDriver::TimerSchedule);
    connect(&clockTimer_, &QTimer::timeout, this, &ScheduleDriver::ClockTick);
    scheduleTimer_.start();
    clockTimer_.start();
    const QDateTime now = station_.clock().now();
    pcTime_ = pcTimeText(now);
    pcDate_ = pcDateText(now);
}

void ScheduleDriver::TimerSchedule()
{
    if (station_.record().SchemeEnable == 0)
        return;
    station_.tickWhenLinkFree(this, scheduleWaiting_, [this] { evaluate(); });
}

void ScheduleDriver::evaluate()
{
    SettingsRecord &r = station_.record();
    // While exiting switches the transmitter off, no scheme may bring its power back.
    if (r.ShutDownInProgress)
        return;
    const auto match = evaluator_.onTimerSchedule(r, !station_.linkFreeForAutomaticWork());
    if (!match)
        return;
    applyScheme(r, *match);
    station_.save();
    emit station_.recordChanged(); // the frequency display and the power slider follow
    // Nobody is there to confirm the static PS: the frame goes as it is.
    station_.SendSettings(Attended::No);
}

void ScheduleDriver::ClockTick()
{
    const QDateTime now = station_.clock().now();
    pcTime_ = pcTimeText(now);
    pcDate_ = pcDateText(now);
    emit clockShown(pcTime_, pcDate_);
    if (daily_.onClockTick(now, !station_.linkFreeForAutomaticWork())) {
        station_.runner().start(SynchronizeTime(station_.record()));
    } else if (daily_.isPending()) {
        station_.tickWhenLinkFree(this, syncWaiting_, [this] {
            if (daily_.onClockTick(station_.clock().now(), !station_.linkFreeForAutomaticWork()))
                station_.runner().start(SynchronizeTime(station_.record()));
        });
    }
}

} // namespace zfm
