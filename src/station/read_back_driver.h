#pragma once

#include <QObject>

namespace zfm {

class AutoUpdateEngine;
class LineOwner;
struct JobEnd;
struct SettingsRecord;

// "Read RDS settings": asks the encoder for everything it holds and brings
// the settings record in line with the answer. While it waits or runs the
// automatic update rests; a RadioText update that was on is switched off when
// the read-back begins and back on when it ends, unless the operator chose
// otherwise meanwhile.
class ReadBackDriver : public QObject {
    Q_OBJECT
public:
    static constexpr int kWatchdogMs = 2000;
    // The progress bar's maximum, reached with a whole read-back.
    static constexpr int kProgressMax = 21;

    ReadBackDriver(LineOwner &line, SettingsRecord &record, AutoUpdateEngine &autoUpdate, QObject *parent = nullptr);

    // Queues the read-back; once when it is already waiting. Behind a status
    // request in flight it waits for that reply and then runs.
    void readRds();

signals:
    void progressChanged(double progress);
    // The record changed: what came back, or the RadioText switch.
    void recordEdited();
    void message(const QString &text);

private:
    void begin();
    void end(const JobEnd &end);

    LineOwner &line_;
    SettingsRecord &record_;
    AutoUpdateEngine &autoUpdate_;
    bool restoreRtSwitch_ = false;
};

} // namespace zfm
