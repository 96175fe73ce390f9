// How closely the link runner keeps the device's pacing over a real
// pseudo-terminal, and how live the event loop stays meanwhile. Runs the real
// "Send RT and PS" and the small family's upload, printing per script:
//   duration/pauses  - time from start to done over the sum of the script's pauses (goal <= 1.03)
//   shortest gap     - the shortest time from one write's return to the next write, over the
//                      pause specified between them (must be >= 1.00); in brackets the same
//                      measured where the bytes arrive, on the far side of the line
//   longest UI stall - the longest wait of a 1 ms timer while the script runs (goal <= 20 ms)
// and, for comparison, the far-side gap and the stall for a plain thread writing
// every 10 ms while the event loop idles: the kernel hands pseudo-terminal bytes
// to the reader through a work queue, so one write can arrive late and make the
// gap after it look short there, and a busy machine stalls any event loop.
// ZFM_BENCH_DETAIL=1 lists every short far-side gap with the gap before it.
#include "command_decoder.h"
#include "frame_decoder.h"
#include "pty.h"

#include "link/clock.h"
#include "link/encodings.h"
#include "link/line_owner.h"
#include "rds/rt_ps_upload.h"
#include "settings/settings_record.h"
#include "transmitter/transmitter_upload.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <QFile>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace zfm;
using SteadyClock = std::chrono::steady_clock;

namespace {

// Reads the master side on a thread of its own (real-time where allowed),
// noting when each chunk arrived.
class Recorder {
public:
    struct Chunk {
        SteadyClock::time_point at;
        QByteArray bytes;
    };

    Recorder() : thread_([this] { loop(); }) { }
    ~Recorder()
    {
        stop_ = true;
        thread_.join();
    }
    QString path() const { return pty_.slavePath(); }
    std::vector<Chunk> chunks() const
    {
        std::lock_guard lock(mutex_);
        return chunks_;
    }

private:
    void loop()
    {
        sched_param param{};
        param.sched_priority = 10;
        realTime_ = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
        char buf[4096];
        while (!stop_) {
            pollfd p{pty_.masterFd(), POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
                continue;
            const ssize_t n = ::read(p.fd, buf, sizeof buf);
            if (n <= 0)
                continue;
            const auto at = SteadyClock::now();
            std::lock_guard lock(mutex_);
            chunks_.push_back({at, QByteArray(buf, static_cast<qsizetype>(n))});
        }
    }

public:
    std::atomic<bool> realTime_{false};

private:
    vt::Pty pty_;
    mutable std::mutex mutex_;
    std::vector<Chunk> chunks_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Each write of a script: where its bytes start on the wire, and the pause
// specified between it and the next write.
struct PlannedWrite {
    qsizetype offset;
    int pauseAfterMs;
};

std::vector<PlannedWrite> plannedWrites(const WireScript &script)
{
    std::vector<PlannedWrite> writes;
    qsizetype offset = 0;
    for (const Step &s : script.steps()) {
        if (const auto *w = std::get_if<step::Write>(&s)) {
            writes.push_back({offset, 0});
            offset += w->bytes.size();
        } else if (std::holds_alternative<step::WriteClock>(s)) {
            writes.push_back({offset, 0});
            offset += 1;
        } else if (const auto *p = std::get_if<step::Pause>(&s); p && !writes.empty()) {
            writes.back().pauseAfterMs += p->ms;
        }
    }
    return writes;
}

struct Figures {
    int frames = 0;
    int malformed = 0;
    double ratio = 0;
    double shortestGap = 0; // as read on the far side
    double shortestWriterGap = 0; // from one write's return to the next write
    qint64 longestStallMs = 0;
};

Figures measure(const WireScript &script, vt::Family family)
{
    Recorder recorder;
    SettingsRecord record;
    record.COMSelected = 1;
    record.COMDevice[1] = recorder.path();
    SystemClock clock;
    // Through the line owner, as every upload of the program goes.
    LineOwner line(record, clock);
    std::vector<std::pair<qint64, qint64>> written; // began, returned
    line.setWriteObserver(
        [&](qint64 began, qint64 returned, const QByteArray &) { written.emplace_back(began, returned); });

    // The event loop's responsiveness: the longest wait between 1 ms ticks.
    QElapsedTimer sinceTick;
    qint64 longestStallNs = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QElapsedTimer duration;
    const bool detail = qEnvironmentVariableIsSet("ZFM_BENCH_DETAIL");
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 stallNs = sinceTick.nsecsElapsed();
        longestStallNs = std::max(longestStallNs, stallNs);
        if (detail && stallNs > 15'000'000)
            std::printf(
                "  UI stall of %lld ms ending %lld ms into the script\n", stallNs / 1'000'000, duration.elapsed());
        sinceTick.restart();
    });

    QEventLoop loop;
    qint64 durationNs = 0;
    sinceTick.start();
    tick.start(1);
    duration.start();
    Job job;
    job.kind = JobKind::SendSettings;
    job.script = [&] {
        return WireScript().lineSettings(QStringLiteral("%1,N,8,1").arg(vt::familyBaud(family))).append(script);
    };
    job.done = [&](const JobEnd &) {
        durationNs = duration.nsecsElapsed();
        loop.quit();
    };
    line.submit(std::move(job));
    loop.exec();
    tick.stop();
    Job close;
    close.kind = JobKind::PortClose;
    close.script = [] { return WireScript().close(); };
    line.submit(std::move(close));
    QThread::msleep(100); // let the recorder take the last bytes

    Figures f;
    f.ratio = durationNs / (script.totalPauseMs() * 1e6);
    f.longestStallMs = (longestStallNs + 500'000) / 1'000'000;

    // Arrival time of every byte offset, then of every planned write.
    const auto chunks = recorder.chunks();
    std::vector<SteadyClock::time_point> byteAt;
    QByteArray wire;
    for (const auto &c : chunks) {
        wire += c.bytes;
        byteAt.insert(byteAt.end(), static_cast<size_t>(c.bytes.size()), c.at);
    }
    const auto writes = plannedWrites(script);
    f.shortestWriterGap = 1e9;
    for (size_t i = 0; i + 1 < writes.size() && i + 1 < written.size(); ++i) {
        if (writes[i].pauseAfterMs > 0)
            f.shortestWriterGap = std::min(
                f.shortestWriterGap, (written[i + 1].first - written[i].second) / (writes[i].pauseAfterMs * 1e6));
    }
    f.shortestGap = 1e9;
    for (size_t i = 0; i + 1 < writes.size(); ++i) {
        if (writes[i].pauseAfterMs == 0 || static_cast<size_t>(writes[i + 1].offset) >= byteAt.size())
            continue;
        const double gapMs = std::chrono::duration<double, std::milli>(
            byteAt[static_cast<size_t>(writes[i + 1].offset)] - byteAt[static_cast<size_t>(writes[i].offset)])
                                 .count();
        f.shortestGap = std::min(f.shortestGap, gapMs / writes[i].pauseAfterMs);
        if (qEnvironmentVariableIsSet("ZFM_BENCH_DETAIL") && gapMs / writes[i].pauseAfterMs < 0.98) {
            const double before = i == 0
                ? 0
                : std::chrono::duration<double, std::milli>(
                    byteAt[static_cast<size_t>(writes[i].offset)] - byteAt[static_cast<size_t>(writes[i - 1].offset)])
                      .count();
            std::printf("  short gap after write %zu: %.2f ms for %d ms (gap before it %.2f ms for %d ms)\n", i, gapMs,
                writes[i].pauseAfterMs, before, i == 0 ? 0 : writes[i - 1].pauseAfterMs);
        }
    }
    if (qEnvironmentVariableIsSet("ZFM_BENCH_DETAIL"))
        std::printf("  reader real-time: %s\n", recorder.realTime_ ? "yes" : "no");

    // What a device makes of it: every frame well-formed.
    vt::FrameDecoder decoder;
    vt::DeviceState device = vt::DeviceState::factory();
    auto events = decoder.feed(wire);
    for (auto &e : decoder.finish())
        events.push_back(e);
    for (const auto &e : events) {
        const auto *frame = std::get_if<vt::RawFrame>(&e);
        if (frame && vt::applyFrame(device, family, *frame).ok)
            ++f.frames;
        else
            ++f.malformed;
    }
    return f;
}

// The same line with a plain writer thread that sleeps exactly 10 ms after
// each one-byte write, while the event loop runs idle with the same 1 ms
// timer: the floor of both figures on this machine as it is loaded now.
struct Reference {
    double shortestGap = 0;
    qint64 longestStallMs = 0;
};

Reference reference(int writes)
{
    Recorder recorder;
    const int fd = ::open(QFile::encodeName(recorder.path()).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < writes; ++i) {
            const char c = 'x';
            if (::write(fd, &c, 1) != 1)
                break;
            const timespec pause{0, kWritePauseMs * 1'000'000L};
            clock_nanosleep(CLOCK_MONOTONIC, 0, &pause, nullptr);
        }
        done = true;
    });
    QElapsedTimer sinceTick;
    qint64 longestStallNs = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QEventLoop loop;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestStallNs = std::max(longestStallNs, sinceTick.nsecsElapsed());
        sinceTick.restart();
        if (done)
            loop.quit();
    });
    sinceTick.start();
    tick.start(1);
    loop.exec();
    writer.join();
    QThread::msleep(100);
    ::close(fd);
    std::vector<SteadyClock::time_point> at;
    for (const auto &c : recorder.chunks())
        at.insert(at.end(), static_cast<size_t>(c.bytes.size()), c.at);
    Reference r{1e9, (longestStallNs + 500'000) / 1'000'000};
    for (size_t i = 1; i < at.size(); ++i) {
        r.shortestGap = std::min(
            r.shortestGap, std::chrono::duration<double, std::milli>(at[i] - at[i - 1]).count() / kWritePauseMs);
    }
    return r;
}

void report(const char *name, const WireScript &script, vt::Family family)
{
    const Figures f = measure(script, family);
    std::printf("%s: %d frames, duration/pauses %.3f, shortest gap %.2fx as written (%.2fx as read), longest UI stall "
                "%lld ms%s\n",
        name, f.frames, f.ratio, f.shortestWriterGap, f.shortestGap, static_cast<long long>(f.longestStallMs),
        f.malformed ? qPrintable(QStringLiteral(" (%1 malformed!)").arg(f.malformed)) : "");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    SettingsRecord record;
    report("send-rt-and-ps", sendRtAndPsScript(record), vt::Family::Classic);
    report("small-family-upload", smallFamilyUploadScript(record), vt::Family::Small);
    const Reference ref = reference(300);
    std::printf("reference (plain writer thread, idle event loop): shortest gap %.2fx, longest UI stall %lld ms\n",
        ref.shortestGap, static_cast<long long>(ref.longestStallMs));
    return 0;
}
