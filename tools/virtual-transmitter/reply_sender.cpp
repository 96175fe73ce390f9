#include "reply_sender.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <poll.h>
#include <unistd.h>

namespace zfm::vt {

namespace {

constexpr int kBitsPerCharacter = 10; // start bit, 8 data bits, stop bit
constexpr long kNsPerSecond = 1'000'000'000L;

void addNs(timespec &t, long long ns)
{
    ns += t.tv_nsec;
    t.tv_sec += static_cast<time_t>(ns / kNsPerSecond);
    t.tv_nsec = static_cast<long>(ns % kNsPerSecond);
}

long long nsUntil(const timespec &t)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (static_cast<long long>(t.tv_sec) - now.tv_sec) * kNsPerSecond + (t.tv_nsec - now.tv_nsec);
}

} // namespace

ReplySender::ReplySender(int fd) : fd_(fd), thread_([this] { run(); }) { }

ReplySender::~ReplySender() { stop(); }

void ReplySender::send(Job job)
{
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void ReplySender::stop()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        jobs_.clear();
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

bool ReplySender::idle() const
{
    std::lock_guard lock(mutex_);
    return jobs_.empty() && !busy_;
}

bool ReplySender::writeOne(char c)
{
    while (!stop_) {
        const ssize_t n = ::write(fd_, &c, 1);
        if (n == 1) {
            ++sent_;
            return true;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        // The line's buffer is full (nobody reads the other end): wait for room.
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, 20);
    }
    return false;
}

void ReplySender::sleepUntil(const timespec &due) const
{
    // In slices, so that stop() never waits for a long gap to pass.
    constexpr long long kSliceNs = 20'000'000;
    for (long long left = nsUntil(due); left > 0 && !stop_; left = nsUntil(due)) {
        if (left <= kSliceNs) {
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) { }
            return;
        }
        timespec slice{0, kSliceNs};
        nanosleep(&slice, nullptr);
    }
}

void ReplySender::run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
            if (stop_)
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
            busy_ = true;
        }
        const long long characterNs = kBitsPerCharacter * kNsPerSecond / std::max(job.baud, 1);
        timespec due{};
        clock_gettime(CLOCK_MONOTONIC, &due);
        for (qsizetype i = 0; i < job.bytes.size() && !stop_; ++i) {
            // An absolute schedule keeps the average rate exact even when one
            // wake-up comes late.
            sleepUntil(due);
            if (!writeOne(job.bytes[i]))
                break;
            addNs(due, characterNs);
            if (job.gapEvery > 0 && (i + 1) % job.gapEvery == 0 && i + 1 < job.bytes.size()) {
                // A pause in the line counts from the character before it, even when late.
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                if (nsUntil(due) < 0)
                    due = now;
                addNs(due, static_cast<long long>(job.gapMs) * 1'000'000);
            }
        }
        std::lock_guard lock(mutex_);
        busy_ = false;
    }
}

} // namespace zfm::vt
