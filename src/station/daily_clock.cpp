#include "station/daily_clock.h"

#include "link/clock.h"
#include "link/line_owner.h"

#include <utility>

namespace zfm {

DailyClock::DailyClock(LineOwner &line, const SettingsRecord &record, const Clock &clock, QObject *parent)
    : QObject(parent), line_(line), record_(record), clock_(clock), daily_(clock.now())
{
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &DailyClock::tick);
    const QDateTime now = clock_.now();
    pcTime_ = pcTimeText(now);
    pcDate_ = pcDateText(now);
}

void DailyClock::start() { timer_.start(); }

void DailyClock::stop() { timer_.stop(); }

void DailyClock::tick()
{
    const QDateTime now = clock_.now();
    pcTime_ = pcTimeText(now);
    pcDate_ = pcDateText(now);
    emit clockShown(pcTime_, pcDate_);
    if (!daily_.onClockTick(now))
        return;
    if (paused_)
        owed_ = true;
    else
        submitSync();
}

void DailyClock::sendOwed()
{
    if (std::exchange(owed_, false))
        submitSync();
}

void DailyClock::submitSync()
{
    Job sync;
    // One that meets the port away is sent again when it is back.
    sync.done = [this](const JobEnd &end) {
        if (end.outcome == JobEnd::Outcome::Failed)
            owed_ = true;
    };
    sync.kind = JobKind::ClockSync;
    sync.script = [this] { return synchronizeTimeScript(record_); };
    line_.submit(std::move(sync));
}

} // namespace zfm
