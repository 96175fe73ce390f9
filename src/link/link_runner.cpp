#include "link/link_runner.h"

#include "link/clock.h"
#include "link/encodings.h"
#include "link/serial_link.h"

#include <QThread>

#include <algorithm>

namespace zfm {

namespace {

// Below this the timer's own granularity matters more than the wait; the
// last stretch of a pause is slept instead (never more than this long).
constexpr qint64 kSleepBelowNs = 2'000'000;

} // namespace

LinkRunner::LinkRunner(SerialLink &link, const Clock &clock, QObject *parent)
    : QObject(parent), link_(link), clock_(clock)
{
    elapsed_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &LinkRunner::advance);
    connect(&link_, &SerialLink::lineLost, this, [this](const LinkFailure &lost) {
        if (busy_ && !awaitingConfirm_)
            fail(lost);
    });
}

bool LinkRunner::start(WireScript script, Done done)
{
    if (busy_)
        return false;
    script_ = std::move(script);
    index_ = 0;
    stopAsked_ = false;
    insideFrame_ = false;
    framesWritten_ = 0;
    done_ = std::move(done);
    // The line rests a moment after the last script's last write (a test
    // frame ends on its terminator), so that a port closed or given another
    // speed never catches the tail of the frame before.
    nextAtNs_ = std::max(elapsed_.nsecsElapsed(), lastWriteNs_ + kWritePauseMs * 1'000'000LL);
    busy_ = true;
    emit busyChanged(true);
    // The first step waits for a turn of the event loop as well, so whatever
    // reads the line (a device simulated in this process) has taken the last
    // script's bytes before this one may close the port or change its speed.
    timer_.start(0);
    return true;
}

void LinkRunner::confirm()
{
    if (!awaitingConfirm_)
        return;
    awaitingConfirm_ = false;
    // The pause after the confirmation counts from now, not from the last write.
    nextAtNs_ = elapsed_.nsecsElapsed();
    QTimer::singleShot(0, this, &LinkRunner::advance);
}

void LinkRunner::stop()
{
    if (!busy_)
        return;
    stopAsked_ = true;
    if (awaitingConfirm_)
        confirm();
}

bool LinkRunner::beginsFrame(const Step &s) const
{
    if (insideFrame_)
        return false;
    return std::holds_alternative<step::WriteClock>(s)
        || (std::holds_alternative<step::Write>(s) && !std::get<step::Write>(s).bytes.isEmpty());
}

void LinkRunner::advance()
{
    const auto &steps = script_.steps();
    while (busy_ && !awaitingConfirm_) {
        const qint64 now = elapsed_.nsecsElapsed();
        if (now < nextAtNs_) {
            if (nextAtNs_ - now > kSleepBelowNs) {
                waitUntil(nextAtNs_);
                return;
            }
            QThread::usleep(static_cast<unsigned long>((nextAtNs_ - now + 999) / 1000));
            continue;
        }
        // The end waits like a step: a script's last pause holds off the next script.
        if (index_ == steps.size()) {
            finish(Outcome::Completed);
            return;
        }
        if (stopAsked_ && beginsFrame(steps[index_])) {
            finish(Outcome::Stopped);
            return;
        }
        if (!execute(steps[index_++]))
            return;
    }
}

void LinkRunner::waitUntil(qint64 deadlineNs)
{
    // Wake a little early and sleep the rest, so the pause is neither short
    // nor stretched by the timer's millisecond rounding.
    const qint64 remainingNs = deadlineNs - elapsed_.nsecsElapsed();
    timer_.start(static_cast<int>((remainingNs - kSleepBelowNs / 2) / 1'000'000));
}

bool LinkRunner::execute(const Step &s)
{
    if (const auto *w = std::get_if<step::Write>(&s)) {
        return write(w->bytes);
    } else if (const auto *c = std::get_if<step::WriteClock>(&s)) {
        return write(offsetByte(clockFieldValue(c->field, clock_.now())));
    } else if (const auto *p = std::get_if<step::Pause>(&s)) {
        nextAtNs_ += static_cast<qint64>(p->ms) * 1'000'000;
    } else if (const auto *st = std::get_if<step::Status>(&s)) {
        emit statusChanged(st->text, st->progress);
    } else if (std::holds_alternative<step::Ready>(s)) {
        emit statusChanged(QStringLiteral("Ready"), 0);
    } else if (const auto *o = std::get_if<step::Open>(&s)) {
        if (const auto failure = link_.open(*o)) {
            fail(*failure);
            return false;
        }
    } else if (const auto *l = std::get_if<step::Line>(&s)) {
        link_.applyLineSettings(l->line);
    } else if (std::holds_alternative<step::Close>(s)) {
        link_.close();
    } else if (const auto *cf = std::get_if<step::Confirm>(&s)) {
        awaitingConfirm_ = true;
        emit confirmationRequested(cf->text);
        return false;
    }
    return true;
}

bool LinkRunner::write(const QByteArray &bytes)
{
    const qint64 began = elapsed_.nsecsElapsed();
    if (!link_.write(bytes)) {
        fail(LinkFailure{LinkFailure::Kind::LineLost, link_.openComNumber(), link_.openDevice(), {}});
        return false;
    }
    // Values never hold the framing bytes, so the bytes alone tell where a
    // frame begins and ends.
    if (!bytes.isEmpty()) {
        if (bytes.front() == kLeadIn)
            insideFrame_ = true;
        if (bytes.back() == kTerminator && insideFrame_) {
            insideFrame_ = false;
            ++framesWritten_;
        }
    }
    // The next pause counts from the moment this write returned.
    nextAtNs_ = lastWriteNs_ = elapsed_.nsecsElapsed();
    if (writeObserver_)
        writeObserver_(began, nextAtNs_, bytes);
    return true;
}

void LinkRunner::fail(const LinkFailure &failure)
{
    timer_.stop();
    if (failure.kind == LinkFailure::Kind::LineLost)
        link_.close();
    awaitingConfirm_ = false;
    emit failed(failure);
    finish(Outcome::Failed);
}

void LinkRunner::finish(Outcome outcome)
{
    busy_ = false;
    script_ = WireScript();
    index_ = 0;
    stopAsked_ = false;
    insideFrame_ = false;
    Done done = std::move(done_);
    done_ = {};
    emit busyChanged(false);
    if (done)
        done(outcome);
}

} // namespace zfm
