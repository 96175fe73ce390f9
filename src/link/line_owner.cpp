#include "link/line_owner.h"

#include "settings/settings_record.h"

#include <algorithm>

namespace zfm {

LineOwner::LineOwner(const SettingsRecord &record, const Clock &clock, QObject *parent)
    : QObject(parent), port_(record), runner_(port_, clock)
{
    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, &LineOwner::onWatchdog);
    connect(&port_, &SerialLink::received, this, &LineOwner::onReceived);
    connect(&runner_, &LinkRunner::statusChanged, this, &LineOwner::statusChanged);
    connect(&runner_, &LinkRunner::confirmationRequested, this, &LineOwner::confirmationRequested);
    connect(&runner_, &LinkRunner::failed, this, &LineOwner::onFailed);
}

LineOwner::~LineOwner()
{
    // Nobody is told any more: the program is going.
    queue_.clear();
    if (running_)
        running_->job.done = {};
}

bool LineOwner::submit(Job job)
{
    if (exiting_ && !job.exitPath)
        return false;
    const bool waiting
        = std::any_of(queue_.begin(), queue_.end(), [&](const Job &queued) { return queued.kind == job.kind; });
    if (waiting)
        return false;
    if (job.first) {
        // Behind the other jobs that must come first, ahead of everything else.
        const auto at = std::find_if(queue_.begin(), queue_.end(), [](const Job &queued) { return !queued.first; });
        queue_.insert(at, std::move(job));
    } else {
        queue_.push_back(std::move(job));
    }
    emit jobsChanged();
    pump();
    return true;
}

bool LineOwner::has(JobKind kind) const
{
    return isRunning(kind)
        || std::any_of(queue_.begin(), queue_.end(), [kind](const Job &queued) { return queued.kind == kind; });
}

bool LineOwner::isRunning(JobKind kind) const { return running_ && running_->job.kind == kind; }

std::optional<JobKind> LineOwner::runningKind() const
{
    return running_ ? std::optional(running_->job.kind) : std::nullopt;
}

void LineOwner::confirm() { runner_.confirm(); }

void LineOwner::release(JobKind kind)
{
    if (!running_ || running_->job.kind != kind || !running_->job.holdsLine)
        return;
    if (running_->scriptDone)
        endRunning({});
    else
        running_->job.holdsLine = false; // its script ends the job
}

void LineOwner::beginExit()
{
    if (exiting_)
        return;
    exiting_ = true;
    std::deque<Job> dropped;
    dropped.swap(queue_);
    if (running_) {
        if (running_->scriptDone) {
            // Waiting for a reply or holding the line: nothing is on the wire.
            endRunning({JobEnd::Outcome::Stopped, {}, {}});
        } else {
            runner_.stop();
        }
    }
    for (Job &job : dropped) {
        if (job.done)
            job.done({JobEnd::Outcome::Dropped, {}, {}});
    }
    emit jobsChanged();
}

void LineOwner::pump()
{
    // Started from within a job's end, a new job waits until that end is done.
    if (pumping_)
        return;
    pumping_ = true;
    while (!running_ && !queue_.empty()) {
        Job job = std::move(queue_.front());
        queue_.pop_front();
        begin(std::move(job));
    }
    pumping_ = false;
}

void LineOwner::begin(Job job)
{
    running_ = Running{std::move(job), false, false, std::nullopt};
    failure_.reset();
    if (listening())
        watchdog_.start(running_->job.reply->watchdogMs);
    emit jobStarted(running_->job.kind);
    emit jobsChanged();
    WireScript script = running_->job.script ? running_->job.script() : WireScript();
    runner_.start(std::move(script), [this](LinkRunner::Outcome outcome) { scriptEnded(outcome); });
}

void LineOwner::onFailed(const LinkFailure &failure)
{
    failure_ = failure;
    // Told while the job still holds the line, so that the operator hears
    // about the failure before another job meets the same port.
    emit failed(failure, running_ ? running_->job.kind : JobKind::PortOpen, running_ && running_->job.attended);
}

void LineOwner::scriptEnded(LinkRunner::Outcome outcome)
{
    if (!running_)
        return;
    switch (outcome) {
    case LinkRunner::Outcome::Failed: endRunning({JobEnd::Outcome::Failed, {}, failure_}); return;
    case LinkRunner::Outcome::Stopped: endRunning({JobEnd::Outcome::Stopped, {}, {}}); return;
    case LinkRunner::Outcome::Completed: break;
    }
    running_->scriptDone = true;
    if (exiting_ && !running_->job.exitPath && (listening() || running_->job.holdsLine)) {
        endRunning({JobEnd::Outcome::Stopped, {}, {}});
        return;
    }
    if (listening()) {
        if (running_->reply)
            endRunning({JobEnd::Outcome::Completed, *running_->reply, {}});
        else if (running_->watchdogExpired)
            endRunning({JobEnd::Outcome::NoReply, {}, {}});
        return; // the reply or its watchdog ends the job
    }
    if (running_->job.holdsLine) {
        if (running_->job.held)
            running_->job.held();
        return; // release() ends the job
    }
    endRunning({});
}

void LineOwner::onReceived(char c)
{
    // Characters nobody asked for still go through the parser, so a stray
    // "$" or line noise is handled as it always is; only what it decodes is
    // dropped.
    const FeedResult r = parser_.feed(c);
    if (!listening())
        return;
    if (r.appended) {
        watchdog_.start();
        if (running_->job.onReceived)
            running_->job.onReceived(parser_.receivedCount());
    }
    if (!r.finished() || !awaited(r.event))
        return; // not the reply this request waits for: a stray "$"
    if (running_->scriptDone)
        endRunning({JobEnd::Outcome::Completed, r.event, {}});
    else
        running_->reply = r.event; // the script's last steps still run
}

bool LineOwner::awaited(const ReplyEvent &event) const
{
    switch (running_->job.reply->kind) {
    case AwaitedReply::Kind::Status: return std::holds_alternative<StatusReply>(event);
    case AwaitedReply::Kind::ReadBack: return std::holds_alternative<ReadBack>(event);
    }
    return false;
}

void LineOwner::onWatchdog()
{
    if (!listening())
        return;
    parser_.reset();
    if (running_->scriptDone)
        endRunning({JobEnd::Outcome::NoReply, {}, {}});
    else
        running_->watchdogExpired = true; // the script's last steps still run
}

void LineOwner::endRunning(JobEnd end)
{
    watchdog_.stop();
    Running ended = std::move(*running_);
    running_.reset();
    // A request's end, answered or not, returns the status line to rest.
    if (ended.job.reply)
        emit statusChanged(QStringLiteral("Ready"), 0);
    // A job submitted by `done` begins once this one's end has been told.
    const bool wasPumping = pumping_;
    pumping_ = true;
    if (ended.job.done)
        ended.job.done(end);
    emit jobEnded(ended.job.kind, end.outcome);
    emit jobsChanged();
    pumping_ = wasPumping;
    pump();
}

} // namespace zfm
