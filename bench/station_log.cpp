// The station log at the size of a week of once-a-second status replies
// (about 600,000 rows): how fast the rows are written, how fast the history
// of a week opens (time to first paint, rows read) and the longest stall of
// the event loop while the log is written once a second with the window open.
//
//   bench_station_log            the benchmark
//   bench_station_log --seed F   only writes a week of made-up history (with
//                                alarms, titles, schemes) into F, for trying
//                                the log window
#include "app/history_chart.h"
#include "app/history_tab.h"
#include "app/log_events_tab.h"
#include "app/time_range_bar.h"
#include "log/log_reader.h"
#include "log/log_store.h"
#include "log/log_writer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <random>

using namespace zfm;

namespace {

constexpr qint64 kWeekSeconds = 7 * 86400;

// A made-up week: a daily swing of the temperatures, power cut back at night
// by a scheme, an SWR episode, an amplifier running hot at two in the
// morning, a title every few minutes and an hour with the program closed.
struct WeekMaker {
    QDateTime end;
    qint64 seconds = kWeekSeconds;
    std::mt19937 random{20260307};

    bool offline(qint64 s) const { return s > 2 * 86400 + 11 * 3600 && s < 2 * 86400 + 12 * 3600; }

    TelemetrySample sample(qint64 s)
    {
        std::normal_distribution<double> noise(0, 1);
        const QDateTime t = end.addSecs(s - seconds);
        const double hour = t.time().hour() + t.time().minute() / 60.0;
        const bool night = hour >= 1 && hour < 5;
        const bool swr = s >= 4 * 86400 + 14 * 3600 && s < 4 * 86400 + 14 * 3600 + 480;
        const bool hot = s >= 3 * 86400 - 22 * 3600 && s < 3 * 86400 - 22 * 3600 + 1500;
        const double forward = (night ? 25.0 : 50.0) + 0.15 * noise(random);
        const double daily = std::sin((hour - 9) / 24 * 2 * M_PI);
        TelemetrySample x;
        x.time = t;
        x.forwardW = std::round(forward * 10) / 10;
        x.reflectedW = std::round((swr ? 6.0 + 0.4 * noise(random) : 0.024 * forward + 0.05 * noise(random)) * 10) / 10;
        x.exciterTempC = std::round(31 + 3 * daily + 0.3 * noise(random));
        x.amplifierTempC = std::round((hot ? 58 : 42 + 6 * daily) + 0.5 * noise(random));
        x.exciterCurrentA = 0.2;
        x.amplifierCurrentA = std::round((0.1 + 0.136 * forward) * 10) / 10;
        x.exciterVoltageV = 12.0;
        x.amplifierVoltageV = std::round((27.5 + 0.04 * noise(random)) * 10) / 10;
        x.audioLevel = 20 + static_cast<int>(random() % 40);
        x.frequencyKHz = 100000;
        x.alarmMask = (swr ? 2 : 0) | (hot ? 1 : 0);
        return x;
    }

    std::vector<LogEvent> events(qint64 s)
    {
        std::vector<LogEvent> e;
        const QDateTime t = end.addSecs(s - seconds);
        const auto add = [&](EventKind k, const QString &text) { e.push_back({t, k, text}); };
        const QTime time = t.time();
        if (s == 4 * 86400 + 14 * 3600)
            add(EventKind::AlarmRaised, QStringLiteral("SWR ALARM raised: forward 50 W, reflected 6.2 W"));
        if (s == 4 * 86400 + 14 * 3600 + 480)
            add(EventKind::AlarmCleared, QStringLiteral("SWR ALARM cleared: forward 50 W, reflected 1.2 W"));
        if (s == 3 * 86400 - 22 * 3600)
            add(EventKind::AlarmRaised, QStringLiteral("T AMP ALARM raised: forward 25 W, reflected 0.6 W"));
        if (s == 3 * 86400 - 22 * 3600 + 1500)
            add(EventKind::AlarmCleared, QStringLiteral("T AMP ALARM cleared: forward 25 W, reflected 0.6 W"));
        if (s == 2 * 86400 + 11 * 3600)
            add(EventKind::Exit, QStringLiteral("ZephyrineFM+ exited"));
        if (s == 2 * 86400 + 12 * 3600)
            add(EventKind::Start, QStringLiteral("ZephyrineFM+ 1.1 started: LumidraxFM V5 on COM 2"));
        if (time.second() == 0 && time.minute() == 0 && (time.hour() == 1 || time.hour() == 5)) {
            add(EventKind::Scheme,
                time.hour() == 1 ? QStringLiteral("Scheme applied: 100.000MHz, power 50 %")
                                 : QStringLiteral("Scheme applied: 100.000MHz, power 100 %"));
            add(EventKind::Upload, QStringLiteral("Send settings completed on COM 2 (27 frames)"));
        }
        if (time.second() == 0 && time.minute() == 15 && time.hour() == 3)
            add(EventKind::ClockSync,
                QStringLiteral("Encoder clock set to 03:15:00, %1 on COM 2")
                    .arg(t.toString(QStringLiteral("yyyy-MM-dd"))));
        // The last hour's work at the station.
        if (s == seconds - 3300)
            add(EventKind::ReadBack, QStringLiteral("RDS settings read back from COM 2"));
        if (s == seconds - 2900)
            add(EventKind::Upload, QStringLiteral("Send RT and PS completed on COM 2 (210 frames)"));
        if (s == seconds - 2000)
            add(EventKind::LinkLost, QStringLiteral("The transmitter on COM 2 does not answer"));
        if (s == seconds - 2000)
            add(EventKind::Message, QStringLiteral("Error receiving Status."));
        if (s == seconds - 1940)
            add(EventKind::LinkBack, QStringLiteral("The transmitter on COM 2 answers again"));
        if (s == seconds - 1200)
            add(EventKind::UploadFailed,
                QStringLiteral("Send settings failed on COM 2: COM 2 (/dev/ttyUSB0) was lost while writing: the "
                               "adapter was unplugged or the line failed."));
        if (s == seconds - 1150)
            add(EventKind::Upload, QStringLiteral("Send settings completed on COM 2 (27 frames)"));
        if (s % 217 == 0 && !offline(s)) {
            static const char *const artists[] = {"Aurora Vale", "The Quiet Harbours", "Mina Sol", "Northbound",
                "Clara Lind", "Static Gardens", "Joe Ferro"};
            const qint64 n = s / 217;
            add(EventKind::Title,
                QStringLiteral("Title on air: %1 - Song %2 (PS, 200 frames on COM 2)")
                    .arg(QLatin1String(artists[n % 7]))
                    .arg(n % 97 + 1));
        }
        return e;
    }

    // Writes it all into the store, an hour per transaction; returns the
    // nanoseconds spent writing (making the rows up not counted).
    qint64 write(LogStore &store)
    {
        std::vector<TelemetrySample> samples;
        std::vector<LogEvent> events;
        qint64 writing = 0;
        for (qint64 s = 0; s < seconds; ++s) {
            if (!offline(s))
                samples.push_back(sample(s));
            for (LogEvent &e : this->events(s))
                events.push_back(std::move(e));
            if (samples.size() == 3600 || s + 1 == seconds) {
                QElapsedTimer t;
                t.start();
                store.append(events, samples);
                writing += t.nsecsElapsed();
                samples.clear();
                events.clear();
            }
        }
        return writing;
    }
};

double ms(const QElapsedTimer &t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);

    if (argc == 3 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--seed")) {
        LogStore store(QString::fromLocal8Bit(argv[2]));
        if (!store.open()) {
            std::printf("%s\n", qPrintable(store.lastError()));
            return 1;
        }
        WeekMaker maker;
        maker.end = QDateTime::currentDateTime().addSecs(-60);
        maker.write(store);
        std::printf("a week of history written to %s\n", argv[2]);
        return 0;
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("station-log.sqlite"));
    const QDateTime end = QDateTime::currentDateTime();

    // 1. Writing: a week of readings, an hour per transaction.
    qint64 rows = 0;
    {
        LogStore store(path);
        store.open();
        WeekMaker maker;
        maker.end = end;
        const double took = static_cast<double>(maker.write(store)) / 1e6;
        EventFilter all;
        rows = store.history({end.addSecs(-kWeekSeconds - 1), end.addSecs(1), 1}).rowsInRange;
        std::printf("write: %lld telemetry rows and %lld events, an hour per transaction: %.0f ms (%.0f rows/s); file "
                    "%.1f MiB\n",
            static_cast<long long>(rows), static_cast<long long>(store.countEvents(all)), took,
            static_cast<double>(rows) / took * 1000,
            static_cast<double>(QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size()) / 1048576);

        // One row a second as the program writes it: a transaction each.
        QElapsedTimer one;
        one.start();
        constexpr int kSingles = 200;
        for (int i = 0; i < kSingles; ++i)
            store.append({}, {maker.sample(i)});
        std::printf("write: one row per transaction, as once a second: %.2f ms each (on the writer's thread)\n",
            ms(one) / kSingles);
    }

    // 2. Opening a week's history: the query alone, then the tab to its first painted charts.
    {
        LogStore store(path);
        store.open();
        QElapsedTimer t;
        t.start();
        const History h = store.history({end.addSecs(-kWeekSeconds), end.addSecs(1), 900});
        std::printf("history query (week, 900 columns): %.0f ms, %lld rows in range, %zu rows read (%.1f%%)\n", ms(t),
            static_cast<long long>(h.rowsInRange), h.columns.size(),
            100.0 * static_cast<double>(h.columns.size()) / static_cast<double>(std::max<qint64>(1, h.rowsInRange)));
    }
    {
        LogReader reader(path);
        HistoryTab tab(reader, [end] { return end; });
        tab.range().setPeriod(TimeRangeBar::Period::LastWeek);
        tab.resize(1100, 800);
        bool shown = false;
        bool painted = false;
        QElapsedTimer t;
        QObject::connect(&tab, &HistoryTab::shown, [&] { shown = true; });
        for (HistoryChart *c : tab.charts()) {
            QObject::connect(c, &HistoryChart::painted, [&] {
                if (shown)
                    painted = true;
            });
        }
        t.start();
        tab.show();
        while (!painted && t.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        int points = 0;
        for (HistoryChart *c : tab.charts())
            points += c->pointCount();
        std::printf("history window (week): first paint with data %.0f ms after show; %zu columns read for %lld rows "
                    "(1 in %.0f); %d points drawn\n",
            ms(t), tab.history().columns.size(), static_cast<long long>(tab.history().rowsInRange),
            static_cast<double>(tab.history().rowsInRange)
                / static_cast<double>(std::max<size_t>(1, tab.history().columns.size())),
            points);
    }

    // 3. The event loop while the log is written once a second, the window open on the last hour.
    {
        LogReader reader(path);
        HistoryTab history(reader, [] { return QDateTime::currentDateTime(); });
        history.range().setPeriod(TimeRangeBar::Period::LastHour);
        LogEventsTab events(reader, [] { return QDateTime::currentDateTime(); });
        history.resize(1100, 800);
        events.resize(1100, 600);
        history.show();
        events.show();
        LogWriter writer(path, QDateTime::currentDateTime());
        QObject::connect(&writer, &LogWriter::written, [&](qint64, int e, int s) {
            if (e)
                events.eventsWritten();
            if (s)
                history.samplesWritten();
        });
        WeekMaker maker;
        maker.end = QDateTime::currentDateTime();
        qint64 second = 0;
        QTimer feed;
        feed.setInterval(1000);
        QObject::connect(&feed, &QTimer::timeout, [&] {
            TelemetrySample s = maker.sample(maker.seconds - 1);
            s.time = QDateTime::currentDateTime();
            writer.add(s);
            if (++second % 5 == 0)
                writer.add(LogEvent{s.time, EventKind::Title, QStringLiteral("Title on air: bench %1").arg(second)});
        });
        feed.start();

        // The windows' first paint and first reading are not part of it.
        QElapsedTimer warmUp;
        warmUp.start();
        while (warmUp.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

        constexpr int kRunMs = 20000;
        QElapsedTimer run;
        run.start();
        qint64 last = run.nsecsElapsed();
        qint64 longest = 0;
        std::vector<qint64> gaps;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = run.nsecsElapsed();
            gaps.push_back(now - last);
            if (qEnvironmentVariableIsSet("ZFM_BENCH_DETAIL") && now - last > 20000000)
                std::printf("  stall %.1f ms at %.2f s\n", (now - last) / 1e6, now / 1e9);
            longest = std::max(longest, now - last);
            last = now;
        });
        tick.start();
        while (run.elapsed() < kRunMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        std::sort(gaps.begin(), gaps.end());
        const double p99 = gaps.empty() ? 0 : static_cast<double>(gaps[gaps.size() * 99 / 100]) / 1e6;
        std::printf("event loop over %d s, log written once a second, window open on the last hour: longest stall "
                    "%.1f ms, 99th percentile %.1f ms\n",
            kRunMs / 1000, static_cast<double>(longest) / 1e6, p99);
    }
    return 0;
}
