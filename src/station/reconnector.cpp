#include "station/reconnector.h"

#include "link/line_owner.h"

#include <algorithm>

namespace zfm {

Reconnector::Reconnector(LineOwner &line, std::function<WireScript()> openScript, QObject *parent)
    : QObject(parent), line_(line), openScript_(std::move(openScript))
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &Reconnector::tryNow);
}

int Reconnector::delayAfter(int failedTries)
{
    // A re-plugged adapter is back within seconds; a transmitter switched off
    // for the night is not, and need not be asked every 5 s.
    if (failedTries < kQuickTries)
        return kFirstDelayMs;
    const int doublings = std::min(failedTries - kQuickTries + 1, 4);
    return std::min(kFirstDelayMs << doublings, kLongestDelayMs);
}

void Reconnector::begin()
{
    if (trying_)
        return;
    trying_ = true;
    failedTries_ = 0;
    timer_.start(delayAfter(0));
}

void Reconnector::stop()
{
    trying_ = false;
    timer_.stop();
}

void Reconnector::tryNow()
{
    if (!trying_)
        return;
    Job open;
    open.kind = JobKind::Reconnect;
    open.script = openScript_;
    open.done = [this](const JobEnd &end) {
        if (!trying_)
            return;
        if (end.completed()) {
            trying_ = false;
            emit reconnected();
            return;
        }
        if (end.outcome != JobEnd::Outcome::Failed)
            return; // exit took the line
        timer_.start(delayAfter(++failedTries_));
    };
    if (!line_.submit(std::move(open)))
        timer_.start(delayAfter(failedTries_));
}

} // namespace zfm
