#pragma once

#include "scheduler/schedule_evaluation.h"

#include <QObject>
#include <QTimer>

namespace zfm {

class Clock;
struct SettingsRecord;

// The scheduler's once-a-second timer: with "Enable scheduler" ticked it
// evaluates the ticked schemes once per minute, and a scheme that is due
// becomes TXFrequency and TXPower. Never while the program exits, so no
// scheme brings the power back after the shut-down upload.
class ScheduleDriver : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 1000;

    ScheduleDriver(SettingsRecord &record, const Clock &clock, QObject *parent = nullptr);

    void start();
    void stop();
    void tick();

    const ScheduleEvaluator &evaluator() const { return evaluator_; }

signals:
    // A scheme set the frequency and power; they are to be stored, shown and sent.
    void schemeApplied();

private:
    SettingsRecord &record_;
    ScheduleEvaluator evaluator_;
    QTimer timer_;
};

} // namespace zfm
