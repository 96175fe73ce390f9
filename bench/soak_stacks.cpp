#include "soak_stacks.h"

#include <chrono>
#include <csignal>
#include <cxxabi.h>
#include <execinfo.h>
#include <pthread.h>
#include <time.h>

namespace {

constexpr int kMaxFrames = 64;
// Written by the signal handler on the UI thread, read later on the same thread.
void *sampledFrames[kMaxFrames];
volatile sig_atomic_t sampledDepth = 0;
pthread_t uiThread;

void onSample(int) { sampledDepth = backtrace(sampledFrames, kMaxFrames); }

int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// "module(mangled+0x12) [0x...]" -> the demangled function, or empty.
QString functionOf(const char *symbol)
{
    const QString text = QString::fromLocal8Bit(symbol);
    const qsizetype open = text.indexOf(QLatin1Char('('));
    const qsizetype plus = text.indexOf(QLatin1Char('+'), open);
    if (open < 0 || plus <= open + 1)
        return {};
    const QByteArray mangled = text.mid(open + 1, plus - open - 1).toLatin1();
    int status = 0;
    char *plain = abi::__cxa_demangle(mangled.constData(), nullptr, nullptr, &status);
    const QString name = status == 0 && plain ? QString::fromLocal8Bit(plain) : QString::fromLatin1(mangled);
    std::free(plain);
    return name;
}

} // namespace

StallStacks::StallStacks(int afterMs) : afterNs_(int64_t(afterMs) * 1'000'000), lastBeatNs_(nowNs())
{
    uiThread = pthread_self();
    void *warm[1];
    backtrace(warm, 1); // loads what backtrace needs before any signal arrives
    struct sigaction sa { };
    sa.sa_handler = onSample;
    sa.sa_flags = SA_RESTART;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGUSR2, &sa, nullptr);
    watchdog_ = std::thread([this] { watch(); });
}

StallStacks::~StallStacks()
{
    stop_ = true;
    watchdog_.join();
}

void StallStacks::beat()
{
    lastBeatNs_ = nowNs();
    sampled_ = false;
}

void StallStacks::watch()
{
    const timespec pause{0, 2'000'000};
    while (!stop_) {
        clock_nanosleep(CLOCK_MONOTONIC, 0, &pause, nullptr);
        if (!sampled_ && nowNs() - lastBeatNs_ > afterNs_) {
            sampled_ = true;
            pthread_kill(uiThread, SIGUSR2);
        }
    }
}

QStringList StallStacks::takeStack()
{
    const int depth = sampledDepth;
    sampledDepth = 0;
    QStringList frames;
    if (depth <= 0)
        return frames;
    char **symbols = backtrace_symbols(sampledFrames, depth);
    if (!symbols)
        return frames;
    // Frame 0 and 1 are the handler and the signal trampoline.
    for (int i = 2; i < depth; ++i) {
        const QString f = functionOf(symbols[i]);
        if (!f.isEmpty())
            frames << f.left(140);
    }
    std::free(symbols);
    return frames;
}
