// Soak run: the program's real window (offscreen) against the virtual
// transmitter for a long time with everything that acts on its own switched
// on at once - "Auto read TX", the automatic PS/RT update (PS "Yes", split,
// RT "Yes") following a title file a playout program rewrites every 5 s, the
// scheduler with a scheme due every minute, and "Send RT and PS" every 2
// minutes. With --operator a seeded random operator uses the window as well
// (tools/drill/operator_run.h) and the invariants it checks are counted.
// With --cut-every the transmitter's line is cut every so many minutes and
// plugged in again 10 s later under the same path, with "Reconnect
// automatically when the port is lost" ticked; each outage is reported: how
// long until the RadioText and the title's list reached the line again, and
// the messages it caused. With --changed-only "Send only changed entries" is
// ticked. Either way the run prints the title-to-air latency (bench/
// title_watch.h) and ends as an operator would end it: the program exits.
//
// Window and transmitter run in this one process on one event loop, as in
// the end-to-end tests: the counters come straight from both sides, the
// transmitter's per-frame work is a few microseconds and its replies are
// paced on a thread of its own, and its state is bounded (its log keeps 300
// lines), so the loop's stalls and the memory growth are the program's.
//
//   zfm_soak [minutes] [--operator [seed]] [--cut-every minutes] [--changed-only]
//                                  (default 20 minutes; fractions allowed)
//
// Prints a progress line every minute and the figures at the end; see
// soak_watch.h for what counts as lost. Measures only, never fails on time.
#include "playout.h"
#include "soak_stacks.h"
#include "soak_watch.h"
#include "title_watch.h"

#include "app/main_window.h"
#include "app/resident_memory.h"
#include "operator_run.h"
#include "scheduler/scheme_line.h"
#include "settings/settings_store.h"
#include "station/station.h"
#include "virtual_transmitter.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

using namespace zfm;

namespace {

constexpr int kStallProbeMs = 5;
constexpr qint64 kStallGoalMs = 50;
// A stall this long has its call stack taken, printed when it passes the goal.
constexpr int kStackAfterMs = 40;
constexpr int kStackFramesShown = 16;
constexpr int kSendRtPsEveryMs = 2 * 60 * 1000;
constexpr int kScheduleRefreshMs = 10 * 1000;
// Schemes kept in the list: this minute and the next three.
constexpr int kSchemesAhead = 4;
// Longest wait for the last title to reach the air once the run ends.
constexpr int kSettleLimitMs = 120 * 1000;
// Longest wait for the program to exit at the end of an operator's run.
constexpr int kExitLimitMs = 60 * 1000;
// The operator's pace: an action every so many milliseconds on average.
constexpr int kOperatorGapMs = 1500;
// How long the line stays cut in a run with --cut-every.
constexpr int kOutageMs = 10 * 1000;

double residentMiB() { return residentMemoryKiB() / 1024.0; }

// Minutes since the epoch in local time: one key per wall-clock minute.
qint64 minuteKey(const QDateTime &t) { return (t.toMSecsSinceEpoch() / 1000 + t.offsetFromUtc()) / 60; }

// The frequency and power of the scheme due in minute `key`: distinct for 400 minutes.
int schemeKHz(qint64 key) { return 88000 + static_cast<int>(key % 400) * 50; }
int schemePower(qint64 key) { return static_cast<int>(key % 101); }

using SteadyClock = std::chrono::steady_clock;

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(SteadyClock::now().time_since_epoch()).count();
}

// A thread of its own that only asks to wake every few milliseconds: how late
// the machine lets any thread of this process run (other programs on the two
// shared cores, a virtual machine's stolen time). An event loop stall that this
// thread shared was the machine's; one it did not share was the program's.
class MachineLag {
public:
    MachineLag() : thread_([this] { loop(); }) { }
    ~MachineLag()
    {
        stop_ = true;
        thread_.join();
    }
    qint64 longestMs() const { return longestNs_ / 1'000'000; }
    // The longest lag that overlapped [fromNs, toNs].
    qint64 longestWithinNs(qint64 fromNs, qint64 toNs) const
    {
        std::lock_guard lock(mutex_);
        qint64 longest = 0;
        for (const auto &[endNs, lagNs] : lags_) {
            if (endNs >= fromNs && endNs - lagNs <= toNs)
                longest = std::max(longest, lagNs);
        }
        return longest;
    }

private:
    void loop()
    {
        const timespec pause{0, kStallProbeMs * 1'000'000L};
        while (!stop_) {
            const qint64 before = nowNs();
            clock_nanosleep(CLOCK_MONOTONIC, 0, &pause, nullptr);
            const qint64 after = nowNs();
            const qint64 lagNs = after - before - kStallProbeMs * 1'000'000LL;
            longestNs_ = std::max<qint64>(longestNs_, lagNs);
            if (lagNs < 5'000'000)
                continue;
            std::lock_guard lock(mutex_);
            lags_.emplace_back(after, lagNs);
            if (lags_.size() > 100'000)
                lags_.pop_front();
        }
    }

    mutable std::mutex mutex_;
    std::deque<std::pair<qint64, qint64>> lags_; // (end, length) in ns
    std::atomic<qint64> longestNs_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The longest waits of the event loop, measured by a short timer on it, each
// long one set against the machine's own lag at the time.
class StallMeter : public QObject {
public:
    StallMeter(const QString *status, const MachineLag *machine)
        : status_(status), machine_(machine), stacks_(kStackAfterMs)
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(kStallProbeMs);
        connect(&timer_, &QTimer::timeout, this, [this] {
            const qint64 now = nowNs();
            const qint64 stallNs = now - lastNs_ - kStallProbeMs * 1'000'000LL;
            lastNs_ = now;
            stacks_.beat();
            const QStringList stack = stacks_.takeStack();
            const qint64 stallMs = stallNs / 1'000'000;
            longest_ = std::max(longest_, stallMs);
            if (stallMs <= kStallGoalMs)
                return;
            const qint64 machineMs = machine_->longestWithinNs(now - stallNs, now) / 1'000'000;
            const bool machine = machineMs * 2 >= stallMs;
            (machine ? overGoalMachine_ : overGoalProgram_)++;
            if (overGoalMachine_ + overGoalProgram_ <= 15) {
                std::printf("  ! %6.1f min: event loop stalled %lld ms, the idle thread %lld ms then (status line: "
                            "\"%s\")\n",
                    (now - startNs_) / 6e10, static_cast<long long>(stallMs), static_cast<long long>(machineMs),
                    qPrintable(*status_));
                for (const QString &frame : stack.mid(0, kStackFramesShown))
                    std::printf("        %s\n", qPrintable(frame));
                std::fflush(stdout);
            }
            if (!machine)
                longestProgram_ = std::max(longestProgram_, stallMs);
        });
    }
    void start()
    {
        startNs_ = lastNs_ = nowNs();
        timer_.start();
    }
    qint64 longestMs() const { return longest_; }
    // The longest stall over the goal that the idle thread did not share.
    qint64 longestProgramMs() const { return longestProgram_; }
    int overGoalMachine() const { return overGoalMachine_; }
    int overGoalProgram() const { return overGoalProgram_; }

private:
    const QString *status_;
    const MachineLag *machine_;
    StallStacks stacks_;
    QTimer timer_;
    qint64 startNs_ = 0;
    qint64 lastNs_ = 0;
    qint64 longest_ = 0;
    qint64 longestProgram_ = 0;
    int overGoalMachine_ = 0;
    int overGoalProgram_ = 0;
};

void storeBeforeStart(const QString &devicePath, const QString &titleFile, bool reconnect, bool changedOnly)
{
    PlatformStore s;
    s.setValue(QStringLiteral("AutoReconnect"), reconnect ? QStringLiteral("True") : QStringLiteral("False"));
    s.setValue(QStringLiteral("AutoPSChangedOnly"), changedOnly ? QStringLiteral("True") : QStringLiteral("False"));
    const std::pair<const char *, QString> values[] = {
        {"COMDevice2", devicePath},
        {"AutoRead", QStringLiteral("True")},
        {"AutoPS", QStringLiteral("1")}, // PS "Yes", split
        {"RTSwitch", QStringLiteral("1")}, // RT "Yes"
        {"AutoPSPath", titleFile},
        {"AutoRTPath", titleFile},
        {"InsertDate", QStringLiteral("False")},
        {"SchemeEnable", QStringLiteral("1")},
    };
    for (const auto &[key, value] : values)
        s.setValue(QLatin1String(key), value);
    s.sync();
}

} // namespace

int main(int argc, char **argv)
{
    double minutes = 20.0;
    bool withOperator = false;
    quint32 seed = 0;
    double cutEveryMinutes = 0;
    bool changedOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--changed-only") == 0) {
            changedOnly = true;
        } else if (std::strcmp(argv[i], "--cut-every") == 0 && i + 1 < argc) {
            cutEveryMinutes = std::max(0.5, std::atof(argv[++i]));
        } else if (std::strcmp(argv[i], "--operator") == 0) {
            withOperator = true;
            seed = i + 1 < argc && std::isdigit(static_cast<unsigned char>(argv[i + 1][0]))
                ? static_cast<quint32>(std::strtoul(argv[++i], nullptr, 10))
                : static_cast<quint32>(std::time(nullptr));
        } else {
            minutes = std::max(0.1, std::atof(argv[i]));
        }
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir runtimeDir;
    QTemporaryDir configDir;
    QTemporaryDir playoutDir;
    setenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit().constData(), 0);
    setenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit().constData(), 1);
    // The station log too stays in the run's own folder.
    setenv("XDG_DATA_HOME", configDir.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    vt::Options deviceOptions;
    deviceOptions.echo = false;
    vt::VirtualTransmitter device(deviceOptions);
    if (!device.isValid()) {
        std::printf("soak: cannot open a pseudo-terminal\n");
        return 1;
    }
    zfm::drill::Playout playout(playoutDir.filePath(QStringLiteral("nowplaying.txt")));
    playout.start(); // the file exists before the program looks at it
    storeBeforeStart(device.path(), playout.path(), cutEveryMinutes > 0, changedOnly);

    MainWindow::Options options;
    options.splash = false;
    MainWindow window(options);
    window.show();
    Station &station = window.station();
    QStringList messages;
    // Any message is a finding; the run notes it and closes its box.
    QObject::connect(&station, &Station::message, [&messages](const QString &text) {
        messages << text;
        std::printf("  ! message shown: %s\n", qPrintable(text));
        std::fflush(stdout);
    });
    QTimer closeBoxes;
    QObject::connect(&closeBoxes, &QTimer::timeout, [] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
                box->accept();
        }
    });
    closeBoxes.start(100);
    QString status;
    QObject::connect(&station, &Station::statusChanged, [&status](const QString &text) { status = text; });

    SoakWatch watch(station, device, playout);
    TitleWatch titleWatch(station, device, playout);
    titleWatch.start();
    std::unique_ptr<drill::OperatorRun> operatorRun;
    if (withOperator)
        operatorRun = std::make_unique<drill::OperatorRun>(window, device, seed, kOperatorGapMs);
    MachineLag machine;
    StallMeter stalls(&status, &machine);

    // The scheduler: this minute and the next few, re-programmed as time goes on.
    auto programSchemes = [&](qint64 from, qint64 to) {
        std::vector<SchemeEntry> list;
        for (qint64 key = from; key < to; ++key) {
            const QDateTime at = QDateTime::fromSecsSinceEpoch(key * 60, Qt::UTC);
            SchemeParts p;
            p.hour = at.time().hour();
            p.minute = at.time().minute();
            p.frequencyKHz = schemeKHz(key);
            p.power = schemePower(key);
            list.push_back({schemeLine(p), true});
            watch.planScheme(key, p.frequencyKHz, p.power);
        }
        if (list == station.record().schemeList)
            return;
        station.record().schemeList = list;
        station.save();
    };
    auto programAhead = [&] {
        const qint64 now = minuteKey(QDateTime::currentDateTime());
        programSchemes(now, now + kSchemesAhead);
    };
    programAhead();
    QTimer scheduleTimer;
    QObject::connect(&scheduleTimer, &QTimer::timeout, programAhead);
    scheduleTimer.start(kScheduleRefreshMs);

    // "Send RT and PS" every two minutes, pressed as soon as the button is enabled.
    auto *sendRtPs = window.findChild<QPushButton *>(QStringLiteral("cmdSendRTPS"));
    bool pressDue = false;
    QTimer pressTimer;
    QObject::connect(&pressTimer, &QTimer::timeout, [&] { pressDue = true; });
    QTimer pressPoll;
    QObject::connect(&pressPoll, &QTimer::timeout, [&] {
        // Pressed while the line is cut it would only say so: that message is
        // the operator's, not the outage's.
        if (!pressDue || !sendRtPs->isEnabled() || station.isPortAway())
            return;
        pressDue = false;
        watch.sendRtAndPsPressed();
        sendRtPs->click();
    });
    pressTimer.start(kSendRtPsEveryMs);
    pressPoll.start(1000);

    // Line cuts: each outage's figures, printed as it ends.
    struct Outage {
        int messagesBefore = 0;
        int titlesBefore = 0;
        int rtFramesAtRestore = 0;
        int psFramesAtRestore = 0;
        QElapsedTimer sinceRestore;
        qint64 rtMs = -1;
        qint64 titleMs = -1;
    };
    std::optional<Outage> outage;
    int outages = 0;
    int outageMessages = 0;
    qint64 worstRestoreMs = 0;
    auto framesStarting = [&](const QByteArray &prefix) {
        int n = 0;
        for (const auto &[name, count] : device.state().counters.frames)
            n += name.startsWith(prefix) ? count : 0;
        return n;
    };
    QTimer cutTimer;
    QTimer restoreWatch;
    QObject::connect(&cutTimer, &QTimer::timeout, [&] {
        if (outage)
            return;
        outage = Outage{};
        outage->messagesBefore = static_cast<int>(messages.size());
        outage->titlesBefore = playout.written();
        watch.cutLine();
        QTimer::singleShot(kOutageMs, [&] {
            outage->rtFramesAtRestore = framesStarting("RT");
            outage->psFramesAtRestore = device.state().counters.framesNamed("PS07");
            device.plugIn();
            outage->sinceRestore.start();
            restoreWatch.start(50);
        });
    });
    QObject::connect(&restoreWatch, &QTimer::timeout, [&] {
        Outage &o = *outage;
        if (o.rtMs < 0 && framesStarting("RT") > o.rtFramesAtRestore)
            o.rtMs = o.sinceRestore.elapsed();
        // The title's first piece, then the rest of its pieces: PS07 follows PS00 by 0.6 s.
        if (o.titleMs < 0 && device.state().counters.framesNamed("PS07") > o.psFramesAtRestore)
            o.titleMs = o.sinceRestore.elapsed();
        if ((o.rtMs < 0 || o.titleMs < 0) && o.sinceRestore.elapsed() < 60000)
            return;
        restoreWatch.stop();
        ++outages;
        const int shown = static_cast<int>(messages.size()) - o.messagesBefore;
        outageMessages += shown;
        worstRestoreMs = std::max({worstRestoreMs, o.rtMs < 0 ? 60000 : o.rtMs, o.titleMs < 0 ? 60000 : o.titleMs});
        std::printf("  outage %d: line cut for %d s; %d titles written meanwhile; after it was back the RadioText "
                    "reached the line in %.1f s and the title's pieces in %.1f s; %d message(s)\n",
            outages, kOutageMs / 1000, playout.written() - o.titlesBefore, o.rtMs / 1000.0, o.titleMs / 1000.0, shown);
        std::fflush(stdout);
        outage.reset();
    });
    if (cutEveryMinutes > 0)
        cutTimer.start(static_cast<int>(cutEveryMinutes * 60 * 1000));

    const qint64 firstKey = minuteKey(QDateTime::currentDateTime());
    const double rssStart = residentMiB();
    QElapsedTimer run;
    run.start();
    stalls.start();
    std::printf("soak: %.1f minutes; window and virtual transmitter in one process; title file rewritten every "
                "%d s%s; resident memory after start-up %.1f MiB\n",
        minutes, zfm::drill::Playout::kPeriodMs / 1000, changedOnly ? ", only changed PS entries sent" : "", rssStart);
    if (operatorRun) {
        std::printf(
            "soak: a random operator at work, seed %u (zfm_soak %g --operator %u repeats it)\n", seed, minutes, seed);
        operatorRun->start();
    }
    std::fflush(stdout);

    auto frames = [&](const char *name) { return device.state().counters.framesNamed(name); };
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, [&] {
        std::printf("[%5.1f min] status %d requested / %d decoded; titles %d written / %d uploaded; schemes %d due "
                    "/ %d applied; Send RT and PS %d / %d; malformed %d; rss %.1f MiB; longest stall %lld ms\n",
            run.elapsed() / 60000.0, frames("FM"), watch.statusDecoded(), playout.written(), watch.titlesUploaded(),
            watch.schemesDue(firstKey, minuteKey(QDateTime::currentDateTime())),
            watch.schemesApplied(firstKey, minuteKey(QDateTime::currentDateTime())), watch.sendRtPsPressed(),
            watch.sendRtPsCompleted(), device.state().counters.malformed, residentMiB(),
            static_cast<long long>(stalls.longestMs()));
        std::fflush(stdout);
    });
    progress.start(60 * 1000);

    qint64 lastKey = firstKey;
    bool exited = false;
    double rssEnd = 0;
    qint64 settledAfterMs = -1;
    QElapsedTimer settle;
    QTimer settleTimer;
    QObject::connect(&settleTimer, &QTimer::timeout, [&] {
        const bool idle = !playout.rewriting() && station.line().isIdle() && !watch.uploadOpen();
        // The last scheme has been applied, or its minute is over.
        const bool schemesDone = watch.schemesApplied(firstKey, lastKey) == watch.schemesDue(firstKey, lastKey)
            || minuteKey(QDateTime::currentDateTime()) > lastKey;
        const bool operatorDone = !operatorRun || (operatorRun->settled() && device.repliesDone());
        if (idle && schemesDone && operatorDone && watch.lastTitleOnAir())
            settledAfterMs = settle.elapsed();
        if (settledAfterMs < 0 && settle.elapsed() <= kSettleLimitMs)
            return;
        settleTimer.stop();
        if (operatorRun)
            operatorRun->checkAtRest();
        // The run ends as the operator would end it: the program exits.
        QObject::connect(&window, &MainWindow::exited, &app, [&] {
            exited = true;
            QTimer::singleShot(0, &app, &QApplication::quit);
        });
        QTimer::singleShot(kExitLimitMs, &app, &QApplication::quit);
        window.close();
    });
    QTimer::singleShot(static_cast<int>(minutes * 60 * 1000), [&] {
        // The end: no new title, scheme or press; the automatic read stops
        // (the operator's choice stands when there is one); what is under way
        // finishes, the scheme of this minute still counts and the last title
        // must reach the air.
        lastKey = minuteKey(QDateTime::currentDateTime());
        cutTimer.stop();
        playout.stop();
        pressTimer.stop();
        pressPoll.stop();
        scheduleTimer.stop();
        progress.stop();
        programSchemes(lastKey, lastKey + 1);
        if (operatorRun)
            operatorRun->stop();
        else
            window.findChild<QCheckBox *>(QStringLiteral("chkAutoRead"))->click();
        rssEnd = residentMiB();
        settle.start();
        settleTimer.start(500);
    });

    app.exec();

    const auto &c = device.state().counters;
    const double runMinutes = minutes;
    std::printf("soak: %.1f minutes done\n", runMinutes);
    std::printf("status replies: %d requested, %d answered, %d decoded (%d with foreign values)\n", frames("FM"),
        c.statusReplies, watch.statusDecoded(), watch.statusGarbled());
    std::printf("titles: %d written, %d uploaded by %d automatic PS uploads (%d wrong, %d cut off); the other %d were "
                "replaced in the file while an upload ran\n",
        playout.written(), watch.titlesUploaded(), watch.psUploads(), watch.psWrong(), watch.psCutOff(),
        playout.written() - watch.titlesUploaded());
    std::printf("last title on air: %s\n",
        settledAfterMs >= 0
            ? qPrintable(QStringLiteral("yes, %1 s after the end").arg(settledAfterMs / 1000.0, 0, 'f', 1))
            : qPrintable(QStringLiteral("NO - %1, file %2").arg(watch.onAirText(), playout.lastLine())));
    std::printf("RadioText: %d automatic uploads (%d wrong)\n", watch.rtUploads(), watch.rtWrong());
    std::printf("title to air: %s\n", qPrintable(TitleWatch::describe(titleWatch.figures())));
    std::printf("scheme minutes: %d due, %d applied (the latest %.1f s into its minute)\n",
        watch.schemesDue(firstKey, lastKey), watch.schemesApplied(firstKey, lastKey), watch.latestSchemeMs() / 1000.0);
    for (const QString &missed : watch.schemesMissed(firstKey, lastKey))
        std::printf("  missed: the scheme of %s\n", qPrintable(missed));
    std::printf("Send RT and PS: %d pressed, %d completed (%d wrong)\n", watch.sendRtPsPressed(),
        watch.sendRtPsCompleted(), watch.sendRtPsWrong());
    std::printf("frames: %d decoded by the transmitter, %d rejected as malformed, %d at a wrong line speed\n", c.total,
        c.malformed, c.wrongSpeedFrames);
    std::printf("messages shown: %lld\n", static_cast<long long>(messages.size()));
    if (cutEveryMinutes > 0) {
        std::printf("line cuts: %d, %d message(s) for them; the slowest restore put the RadioText and the title back "
                    "on the line in %.1f s\n",
            outages, outageMessages, worstRestoreMs / 1000.0);
    }
    std::printf(
        "resident memory: %.1f MiB at start, %.1f MiB at the end (%+.1f MiB)\n", rssStart, rssEnd, rssEnd - rssStart);
    std::printf("event loop: longest stall %lld ms; over %lld ms: %d while the machine held every thread back (an idle "
                "thread's longest lag: %lld ms), %d of the program's own (longest %lld ms)\n",
        static_cast<long long>(stalls.longestMs()), static_cast<long long>(kStallGoalMs), stalls.overGoalMachine(),
        static_cast<long long>(machine.longestMs()), stalls.overGoalProgram(),
        static_cast<long long>(stalls.longestProgramMs()));
    if (!watch.findings().isEmpty())
        std::printf("findings: %lld (the first are listed above)\n", static_cast<long long>(watch.findings().size()));
    if (operatorRun) {
        std::printf("operator: %s\n", qPrintable(operatorRun->summary()));
        for (const QString &v : operatorRun->violations())
            std::printf("  broken: %s\n", qPrintable(v));
    }
    std::printf("program exited: %s\n", exited ? "yes" : "NO");
    return 0;
}
