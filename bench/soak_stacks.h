#pragma once

#include <QStringList>

#include <atomic>
#include <cstdint>
#include <thread>

// Where the UI thread is when its event loop stalls: a watchdog thread that,
// once the loop has not come round for `afterMs`, asks the UI thread (by a
// signal) for its call stack. The soak prints the stack with the stall, so a
// long one can be traced to its code. On Linux only; a no-op elsewhere.
class StallStacks {
public:
    explicit StallStacks(int afterMs);
    ~StallStacks();
    StallStacks(const StallStacks &) = delete;
    StallStacks &operator=(const StallStacks &) = delete;

    // The event loop came round (called on the UI thread by the stall probe).
    void beat();
    // The stack taken during the stall that just ended, innermost first, the
    // frames with a name only; empty when none was taken. Clears it.
    QStringList takeStack();

private:
    void watch();

    const int64_t afterNs_;
    std::atomic<int64_t> lastBeatNs_;
    std::atomic<bool> sampled_{false};
    std::atomic<bool> stop_{false};
    std::thread watchdog_;
};
