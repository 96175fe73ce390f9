#pragma once

#include "autoupdate/file_reader.h"
#include "link/job.h"

#include <QObject>
#include <QTimer>

namespace zfm {

class AutoUpdateEngine;
class LineOwner;

// Runs the automatic PS/RT update once a second: the engine decides from the
// playout program's files, this reads them (off the window's thread, with a
// time limit) and submits what the engine decided to the line. A tick waits
// while anything waits or runs on the line (the previous tick's uploads, a
// read-back, the setup window, an operator's upload) and runs as soon as the
// line is free; ticks never overlap. With "Send only changed entries" a
// RadioText that changed on the tick of a new title goes out before the list:
// one frame, never held back behind the list's.
class AutoUpdateDriver : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 1000;

    AutoUpdateDriver(LineOwner &line, AutoUpdateEngine &engine, QObject *parent = nullptr);
    // With another way of reading the files (tests: reads that hang).
    AutoUpdateDriver(LineOwner &line, AutoUpdateEngine &engine, FileReader::ReadFunction read, int readLimitMs,
        QObject *parent = nullptr);

    void start();
    void stop();
    void tick();
    // A tick is under way (reading, or its uploads waiting or running).
    bool isTicking() const { return ticking_; }

    // While the port is away the files are still read and titles taken, so
    // the page stays current, but nothing is sent.
    void setPaused(bool paused);
    // The line is back: the device is sent the RadioText (one frame, so it is
    // not held back behind the list) and then the list, as they are now.
    void sendOwed();

signals:
    void message(const QString &text);

private:
    void noteRead(const TextFile &file, const QString &path);
    void psFileRead(const TextFile &file);
    // The list, built when its job begins; `then` follows when it completed.
    void sendPs(std::function<void()> then);
    // The look at the RT file and its upload; `then` follows when that completed.
    void rtPart(std::function<void()> then = {});
    // False when nothing was queued (one of its kind waits).
    bool submitUpload(JobKind kind, std::function<WireScript()> script, std::function<void(bool completed)> done);
    void endTick();
    bool readBackBusy() const;

    LineOwner &line_;
    AutoUpdateEngine &engine_;
    FileReader reader_;
    QTimer timer_;
    bool late_ = false;
    bool ticking_ = false;
    bool paused_ = false;
    bool hangReported_ = false;
};

} // namespace zfm
