#pragma once

#include <functional>

namespace zfm::test {

// Runs the real event loop (as the program does) until `done` holds or the
// time is up; returns whether it holds. Never spins the processor.
bool runUntil(const std::function<bool()> &done, int timeoutMs = 10000);

// Runs the event loop for a while.
void runFor(int ms);

} // namespace zfm::test
