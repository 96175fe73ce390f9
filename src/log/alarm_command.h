#pragma once

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

namespace zfm {

class Clock;

// What an alarm command is told, through its environment: ZFM_ALARM (the
// lamp's caption), ZFM_STATE ("raised" or "cleared"), ZFM_FORWARD_W,
// ZFM_REFLECTED_W (empty when not reported) and ZFM_TIME (ISO 8601 local).
struct AlarmNotice {
    QString alarm;
    bool raised = true;
    std::optional<double> forwardW;
    std::optional<double> reflectedW;
    QDateTime time;
};

// Starts the operator's alarm command ("AlarmCommand") for each alarm that
// rises or clears: without a shell (the line is split into program and
// arguments as QProcess::splitCommand does), never waiting for it, stopped
// after the time limit. Each alarm starts it at most once a minute; a change
// within that minute is held back, and when the minute is over the command
// is told the alarm's state then, if that differs from what it was last told,
// so it never misses the end of an alarm.
class AlarmCommand : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimeLimitMs = 30000;
    static constexpr qint64 kMinimumGapMs = 60000;

    explicit AlarmCommand(const Clock &clock, QObject *parent = nullptr);
    ~AlarmCommand() override;

    // Starts `commandLine` (nothing when it is blank) for the notice, or holds it back.
    void notify(const QString &commandLine, const AlarmNotice &notice);
    // Sends what was held back once its minute is over (called every few seconds).
    void tick();

    void setTimeLimitMs(int ms) { timeLimitMs_ = ms; }
    int runningCount() const;

    // The environment the command runs with, on top of the program's own.
    static QHash<QString, QString> environmentFor(const AlarmNotice &notice);

signals:
    // Something to put in the log: a command that could not start, ran over
    // its time, or ended with a failure.
    void problem(const QString &text);

private:
    struct PerAlarm {
        std::optional<QDateTime> lastStart;
        bool toldRaised = false;
        std::optional<AlarmNotice> held;
        QString commandLine;
    };
    void start(const QString &commandLine, const AlarmNotice &notice);

    const Clock &clock_;
    QHash<QString, PerAlarm> alarms_;
    QTimer tickTimer_;
    int timeLimitMs_ = kTimeLimitMs;
};

} // namespace zfm
