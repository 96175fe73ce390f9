#include "station/schedule_driver.h"

#include "settings/settings_record.h"

namespace zfm {

ScheduleDriver::ScheduleDriver(SettingsRecord &record, const Clock &clock, QObject *parent)
    : QObject(parent), record_(record), evaluator_(clock)
{
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &ScheduleDriver::tick);
}

void ScheduleDriver::start() { timer_.start(); }

void ScheduleDriver::stop() { timer_.stop(); }

void ScheduleDriver::tick()
{
    if (record_.shutDownInProgress)
        return;
    const auto match = evaluator_.onTick(record_);
    if (!match)
        return;
    applyScheme(record_, *match);
    emit schemeApplied();
}

} // namespace zfm
