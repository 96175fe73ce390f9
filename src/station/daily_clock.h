#pragma once

#include "rds/clock_sync.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace zfm {

class Clock;
class LineOwner;
struct SettingsRecord;

// The PC clock's once-a-second timer: the "PC Time" and "PC date" labels, and
// the encoder's clock set from the PC's once a day at 03:15:00. A
// synchronisation due while the line is busy waits its turn on the line.
class DailyClock : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 1000;

    DailyClock(LineOwner &line, const SettingsRecord &record, const Clock &clock, QObject *parent = nullptr);

    void start();
    void stop();
    void tick();
    // While the port is away a synchronisation that falls due is kept, and
    // sendOwed() sends it once the port is back.
    void setPaused(bool paused) { paused_ = paused; }
    void sendOwed();

    // The texts of the labels as of the last tick.
    QString pcTime() const { return pcTime_; }
    QString pcDate() const { return pcDate_; }

signals:
    void clockShown(const QString &time, const QString &date);

private:
    void submitSync();

    LineOwner &line_;
    const SettingsRecord &record_;
    const Clock &clock_;
    DailyClockSync daily_;
    QTimer timer_;
    QString pcTime_;
    QString pcDate_;
    bool paused_ = false;
    bool owed_ = false;
};

} // namespace zfm
