#pragma once

#include "link/link_failure.h"
#include "link/link_runner.h"
#include "link/reply_parser.h"
#include "link/serial_link.h"
#include "link/wire_script.h"

#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <optional>

namespace zfm {

class Clock;
struct SettingsRecord;

// What a job does, for the queue's rules and for anyone asking what is under way.
enum class JobKind {
    PortOpen, // start-up opens the port
    SendSettings,
    SendRtAndPs,
    TestFrequency,
    TestPower,
    ClockSync,
    AutoPs, // the automatic update's PS list
    AutoRt, // the automatic update's look at the RT file, and its upload
    StatusRequest,
    ReadBack,
    LineSpeed, // the device family's line speed
    Setup, // the setup window has the line while it is open
    ShutDown, // exit's power-0 upload
    PortClose, // the last job of all
};

// How a job ended.
struct JobEnd {
    enum class Outcome {
        Completed, // the script ran to its end (and a request got its reply)
        Failed, // the port could not be used; `failure` says why
        NoReply, // a request's reply did not come (or stopped coming) in time
        Stopped, // exit stopped it at a frame boundary
        Dropped, // exit removed it from the queue before it began
    };
    Outcome outcome = Outcome::Completed;
    // A request's decoded reply (Completed only).
    ReplyEvent reply;
    std::optional<LinkFailure> failure;

    bool completed() const { return outcome == Outcome::Completed; }
};

// The reply a request waits for: it ends with its "$", or when no character
// came for `watchdogMs` (counted from the job's start, then from each character).
struct AwaitedReply {
    enum class Kind { Status, ReadBack };
    Kind kind = Kind::Status;
    int watchdogMs = 1000;
};

struct Job {
    JobKind kind = JobKind::PortOpen;
    // Built when the job begins, from the settings as they are then; a job
    // that waited behind others sends what is current, not what was.
    std::function<WireScript()> script;
    // A request: from its start it takes the transmitter's reply of this kind.
    std::optional<AwaitedReply> reply;
    // Holds the line after its script until release() (the setup window);
    // `held` is told when the script has run and the line is the job's.
    bool holdsLine = false;
    std::function<void()> held;
    // Runs as soon as the running job ends, before anything queued: a line
    // speed change reaches the line before the jobs queued after the choice.
    bool first = false;
    // Part of exit: still taken once exit has begun.
    bool exitPath = false;
    // Every received character of the reply: the count so far.
    std::function<void(int32_t receivedCount)> onReceived;
    std::function<void(const JobEnd &)> done;
};

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
    QString lineSettings() const { return port_.lineSettings(); }
    // For pacing measurements: told about every write.
    void setWriteObserver(LinkRunner::WriteObserver observer) { runner_.setWriteObserver(std::move(observer)); }

signals:
    void statusChanged(const QString &text, double progress);
    void confirmationRequested(const QString &text);
    // The port could not be used by a job of this kind.
    void failed(const zfm::LinkFailure &failure, zfm::JobKind kind);
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
