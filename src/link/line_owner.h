#pragma once

#include "link/job.h"
#include "link/link_runner.h"
#include "link/reply_parser.h"
#include "link/serial_link.h"

#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <optional>

namespace zfm {

class Clock;
struct SettingsRecord;

// The one owner of the main port. Everything that would touch the line -
// buttons, the automatic status read and update, the scheduler, the clock,
// the setup window, exit - submits a job; jobs run one at a time, in order,
// each with the line to itself, and a request's reply goes to the request that
// asked. Nothing else opens, closes, configures or writes the port.
class LineOwner : public QObject {
    Q_OBJECT
public:
    LineOwner(const SettingsRecord &record, const Clock &clock, QObject *parent = nullptr);
    ~LineOwner() override;

    // Queues the job, or starts it at once when the line is free. False, and
    // the job is dropped without a call to `done`, when one of its kind is
    // already waiting (that one builds its script when it starts, so it sends
    // the same), or when exit has begun and the job is not part of it.
    bool submit(Job job);

    // Whether a job of this kind is waiting or running.
    bool has(JobKind kind) const;
    bool isRunning(JobKind kind) const;
    std::optional<JobKind> runningKind() const;
    bool isIdle() const { return !running_ && queue_.empty(); }
    bool isExiting() const { return exiting_; }

    // The operator acknowledged the confirmation the running script asked for.
    void confirm();
    // Ends the running job of this kind that holds the line.
    void release(JobKind kind);
    // Exit: drops every waiting job, stops the running one at its next frame
    // boundary, and from now on takes only jobs marked as part of exit.
    void beginExit();

    bool isPortOpen() const { return port_.isOpen(); }
    // Frames the running job (in jobEnded: the job that ended) has written whole.
    int framesWritten() const { return runner_.framesWritten(); }
    QString lineSettings() const { return port_.lineSettings(); }
    // For pacing measurements: told about every write.
    void setWriteObserver(LinkRunner::WriteObserver observer) { runner_.setWriteObserver(std::move(observer)); }

signals:
    void statusChanged(const QString &text, double progress);
    void confirmationRequested(const QString &text);
    // The port could not be used by a job of this kind (`attended`: one the
    // operator asked for); PortOpen when no job was running.
    void failed(const zfm::LinkFailure &failure, zfm::JobKind kind, bool attended);
    // A job was queued, began or ended.
    void jobsChanged();
    void jobStarted(zfm::JobKind kind);
    void jobEnded(zfm::JobKind kind, zfm::JobEnd::Outcome outcome);

private:
    struct Running {
        Job job;
        bool scriptDone = false;
        bool watchdogExpired = false;
        std::optional<ReplyEvent> reply;
    };

    void pump();
    void begin(Job job);
    void scriptEnded(LinkRunner::Outcome outcome);
    void onFailed(const LinkFailure &failure);
    void onReceived(char c);
    void onWatchdog();
    bool awaited(const ReplyEvent &event) const;
    void endRunning(JobEnd end);
    bool listening() const { return running_ && running_->job.reply.has_value(); }

    SerialLink port_;
    LinkRunner runner_;
    ReplyParser parser_;
    QTimer watchdog_;
    std::deque<Job> queue_;
    std::optional<Running> running_;
    std::optional<LinkFailure> failure_;
    bool exiting_ = false;
    bool pumping_ = false;
};

} // namespace zfm
