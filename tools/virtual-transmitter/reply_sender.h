#pragma once

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <mutex>
#include <thread>

namespace zfm::vt {

// Sends replies one character at a time, paced like a real line, on a thread
// of its own so the pacing does not depend on anyone's event loop.
class ReplySender {
public:
    struct Job {
        QByteArray bytes;
        int baud = 9600;
        // A pause of `gapMs` after every `gapEvery` characters (0: none).
        int gapEvery = 0;
        int gapMs = 0;
    };

    // Writes to `fd` (the master side of the line); the caller keeps it open
    // until stop() returned.
    explicit ReplySender(int fd);
    ~ReplySender();
    ReplySender(const ReplySender &) = delete;
    ReplySender &operator=(const ReplySender &) = delete;

    // Queued behind any reply still being sent.
    void send(Job job);
    // Drops what is queued and ends the thread; nothing is written afterwards.
    void stop();
    // Characters written so far, over all jobs.
    qint64 sent() const { return sent_; }
    bool idle() const;

private:
    void run();
    bool writeOne(char c);
    void sleepUntil(const timespec &due) const;

    int fd_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool busy_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<qint64> sent_{0};
    std::thread thread_;
};

} // namespace zfm::vt
