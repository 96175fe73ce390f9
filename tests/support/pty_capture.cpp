#include "support/pty_capture.h"

#include "support/wait.h"

#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

namespace zfm::test {

PtyCapture::PtyCapture() : reader_([this] { readLoop(); }) { }

PtyCapture::~PtyCapture()
{
    stop_ = true;
    reader_.join();
}

void PtyCapture::readLoop()
{
    // Timestamps are only as good as this thread's wake-ups; ask for real-time
    // scheduling where we may (root, or a granted limit) and carry on without it.
    sched_param param{};
    param.sched_priority = 10;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    char buf[4096];
    while (!stop_) {
        pollfd p{pty_.masterFd(), POLLIN, 0};
        if (p.fd < 0 || ::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
            continue;
        const ssize_t n = ::read(p.fd, buf, sizeof buf);
        if (n <= 0)
            continue;
        const auto at = std::chrono::steady_clock::now();
        std::lock_guard lock(mutex_);
        chunks_.push_back({at, QByteArray(buf, n)});
    }
}

QByteArray PtyCapture::bytes() const
{
    std::lock_guard lock(mutex_);
    QByteArray all;
    for (const Chunk &c : chunks_)
        all += c.bytes;
    return all;
}

std::vector<PtyCapture::Chunk> PtyCapture::chunks() const
{
    std::lock_guard lock(mutex_);
    return chunks_;
}

void PtyCapture::clear()
{
    std::lock_guard lock(mutex_);
    chunks_.clear();
}

void PtyCapture::reply(const QByteArray &bytes)
{
    const ssize_t n = ::write(pty_.masterFd(), bytes.constData(), bytes.size());
    (void)n;
}

bool PtyCapture::waitForBytes(qsizetype count, int timeoutMs) const
{
    return runUntil([&] { return bytes().size() >= count; }, timeoutMs);
}

} // namespace zfm::test
