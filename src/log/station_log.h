#pragma once

#include "link/job.h"
#include "log/alarm_command.h"
#include "log/alarm_watch.h"
#include "log/log_writer.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

namespace zfm {

class Station;
struct StatusReply;

// The station log: what happened at the transmitter, kept on disk. It
// follows the station - the status replies of "Read TX" and "Auto read TX",
// the uploads of every sender, the scheduler, the clock, the link and what
// the operator is told - and writes events and the transmitter history to
// the store; when an alarm lamp lights or goes out it raises a notice and
// starts the alarm command.
class StationLog : public QObject {
    Q_OBJECT
public:
    struct Options {
        LogWriter::Options writer;
        int alarmCommandTimeLimitMs = AlarmCommand::kTimeLimitMs;
    };

    // Records the program's start at once.
    StationLog(Station &station, const QString &path) : StationLog(station, path, Options{}) { }
    StationLog(Station &station, const QString &path, Options options, QObject *parent = nullptr);
    ~StationLog() override;

    // "station-log.sqlite" in the platform's folder for the program's data.
    static QString defaultPath();
    // Where it goes when the settings are kept in `folder` (--config-home).
    static QString pathIn(const QString &folder);

    QString path() const { return writer_.path(); }
    LogWriter &writer() { return writer_; }
    const AlarmCommand &alarmCommand() const { return command_; }

    void record(EventKind kind, const QString &text);

signals:
    // Events reached the file; the newest has this id.
    void written(qint64 lastEventId);
    // Transmitter readings reached the file.
    void samplesWritten();
    // The store cannot be opened or written: for the operator, once.
    void storeFailed(const QString &message);
    // An alarm lamp lit or went out: for the tray.
    void alarmNotice(const QString &title, const QString &text);

private:
    void onStatusReply(const StatusReply &reply);
    void onJobStarted(JobKind kind);
    void onJobEnded(JobKind kind, JobEnd::Outcome outcome);
    void onLineFailed(const LinkFailure &failure, JobKind kind);
    void onMessage(const QString &text);
    void recordMessages();
    // The link's state follows the jobs: a port that fails, a transmitter that
    // does not answer, and what shows each works again.
    enum class Link { Up, PortFailed, Silent };
    void linkDown(Link why, const QString &text);
    void linkUp(const QString &text);
    QString com() const;

    Station &station_;
    LogWriter writer_;
    AlarmWatch alarms_;
    AlarmCommand command_;
    // What the operator was told, held for a moment: a failure of the line
    // is told before the line reports it, and is logged once, as the failure.
    QStringList heldMessages_;
    QTimer messageTimer_;
    std::optional<LinkFailure> failure_;
    int comAtStart_ = 0;
    Link link_ = Link::Up;
};

} // namespace zfm
