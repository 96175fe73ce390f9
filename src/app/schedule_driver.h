#pragma once

#include "rds/clock_sync.h"
#include "scheduler/schedule_evaluation.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace zfm {

class Station;

// The two once-a-second timers that act without the operator: the scheduler
// (`TimerSchedule`) and the PC clock with its daily synchronisation of the
// encoder (`ClockTick`). Both run from start-up to exit and never write while
// another operation holds the link.
class ScheduleDriver : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 1000;

    explicit ScheduleDriver(Station &station, QObject *parent = nullptr);

    // With "Enable scheduler" ticked, as soon as the link is free: evaluates
    // the ticked schemes once per minute; a due one becomes TXFrequency and
    // TXPower, is stored and shown, and is uploaded by an unattended "Send settings".
    void TimerSchedule();
    // Shows the PC time and date; at the daily crossing of 03:15:00 sets the
    // encoder's clock (later, when the link is busy at that moment).
    void ClockTick();

    // The texts of the "PC Time" and "PC date" labels as of the last tick.
    QString pcTime() const { return pcTime_; }
    QString pcDate() const { return pcDate_; }

    const ScheduleEvaluator &evaluator() const { return evaluator_; }
    bool clockSyncPending() const { return daily_.isPending(); }

signals:
    void clockShown(const QString &time, const QString &date);

private:
    void evaluate();

    Station &station_;
    ScheduleEvaluator evaluator_;
    DailyClockSync daily_;
    QTimer scheduleTimer_;
    QTimer clockTimer_;
    QString pcTime_;
    QString pcDate_;
    // A tick is waiting for the link to be free.
    bool scheduleWaiting_ = false;
    bool syncWaiting_ = false;
};

} // namespace zfm
