#pragma once

#include "pty.h"

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace zfm::test {

// Records everything the program writes to a pseudo-terminal, with the time
// each read returned, on a thread of its own so the timestamps do not wait
// for the UI thread's event loop.
class PtyCapture {
public:
    struct Chunk {
        std::chrono::steady_clock::time_point at;
        QByteArray bytes;
    };

    PtyCapture();
    ~PtyCapture();

    vt::Pty &pty() { return pty_; }
    QString path() const { return pty_.slavePath(); }

    QByteArray bytes() const;
    std::vector<Chunk> chunks() const;
    void clear();
    // Sends bytes to the program, as the device would.
    void reply(const QByteArray &bytes);
    // Waits (running the event loop) until at least `count` bytes arrived.
    bool waitForBytes(qsizetype count, int timeoutMs = 5000) const;

private:
    void readLoop();

    vt::Pty pty_;
    mutable std::mutex mutex_;
    std::vector<Chunk> chunks_;
    std::atomic<bool> stop_{false};
    std::thread reader_;
};

} // namespace zfm::test
