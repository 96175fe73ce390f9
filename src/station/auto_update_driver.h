#pragma once

#include <QObject>
#include <QTimer>

namespace zfm {

class AutoUpdateEngine;
class LineOwner;

// Runs the automatic PS/RT update once a second: the engine decides from the
// playout program's files, this submits what it decided to the line. A tick
// rests while the previous one's work waits or runs, while a read-back does and
// while the setup window has the line.
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
};

} // namespace zfm
