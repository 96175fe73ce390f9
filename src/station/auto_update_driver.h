#pragma once

#include <QObject>
#include <QTimer>

namespace zfm {

class AutoUpdateEngine;
class LineOwner;

// Runs the automatic PS/RT update once a second: the engine decides from the
// playout program's files, this submits what it decided to the line. A tick
// waits while anything waits or runs on the line (the previous tick's uploads,
// a read-back, the setup window, an operator's upload) and runs as soon as
// the line is free.
class AutoUpdateDriver : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 1000;

    AutoUpdateDriver(LineOwner &line, AutoUpdateEngine &engine, QObject *parent = nullptr);

    void start();
    void stop();
    void tick();

signals:
    void message(const QString &text);

private:
    void submitRtPart();

    LineOwner &line_;
    AutoUpdateEngine &engine_;
    QTimer timer_;
    bool late_ = false;
};

} // namespace zfm
