// Title-to-air benchmark: how long a new title in the playout program's file
// takes to reach the transmitter, with the whole list sent on every title
// (the default) and with "Send only changed entries", side by side in one run,
// for titles every 30 s and every 5 s, split and scroll.
//
// Each lane is the program's station (everything but the window) with a
// virtual transmitter of its own on a pseudo-terminal, all on one event loop;
// the lanes of one period read the same title file, which a playout program
// rewrites the three ways such programs do (tools/drill/playout.h), with the
// RadioText update on and the same file as RT file. Every lane first puts a
// warm-up title on air, so each run starts from a list the device holds (the
// first list of a run always goes whole).
//
//   zfm_titles [minutes]     (default 4)
//
// Prints, for each lane, the latency from the moment the file holds a new
// title until the transmitter's PS list is that title's (the last changed
// frame decoded) and until its RadioText is the file's line: p50, p95, max,
// how many titles reached the air, and PS/delay frames per title. Measures
// only, never fails on time.
#include "playout.h"
#include "title_watch.h"

#include "link/clock.h"
#include "settings/settings_store.h"
#include "station/station.h"
#include "virtual_transmitter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

using namespace zfm;

namespace {

constexpr int kPeriodsMs[] = {30000, 5000};
// Longest wait for every lane's warm-up title, and for the last titles once
// the run ends: a whole list takes 18 s.
constexpr int kSettleLimitMs = 45 * 1000;
const QByteArray kWarmUpLine = "Warm Up,Title";

struct Lane {
    QString name;
    MemoryStore store;
    std::unique_ptr<vt::VirtualTransmitter> device;
    std::unique_ptr<Station> station;
    std::unique_ptr<TitleWatch> watch;
    int messages = 0;
};

void writeWhole(const QString &path, const QByteArray &bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        std::printf("titles: cannot write %s\n", qPrintable(path));
}

// Runs the event loop until `done` holds or the time is up.
bool runUntil(const std::function<bool()> &done, int limitMs)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

} // namespace

int main(int argc, char **argv)
{
    const double minutes = argc > 1 ? std::max(0.5, std::atof(argv[1])) : 4.0;
    QTemporaryDir runtimeDir;
    setenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit().constData(), 0);
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    SystemClock clock;
    QTemporaryDir files;

    std::vector<std::unique_ptr<drill::Playout>> playouts;
    std::vector<std::unique_ptr<Lane>> lanes;
    for (const int periodMs : kPeriodsMs) {
        const QString file = files.filePath(QStringLiteral("nowplaying-%1s.txt").arg(periodMs / 1000));
        writeWhole(file, kWarmUpLine + "\r\n");
        playouts.push_back(std::make_unique<drill::Playout>(file, nullptr, periodMs));
        for (const char *type : {"1", "2"}) {
            for (const bool changedOnly : {false, true}) {
                auto lane = std::make_unique<Lane>();
                lane->name = QStringLiteral("every %1 s, %2, %3")
                                 .arg(periodMs / 1000, 2)
                                 .arg(QLatin1String(*type == '1' ? "split " : "scroll"))
                                 .arg(QLatin1String(changedOnly ? "changed entries" : "whole list     "));
                vt::Options o;
                o.echo = false;
                lane->device = std::make_unique<vt::VirtualTransmitter>(o);
                if (!lane->device->isValid()) {
                    std::printf("titles: cannot open a pseudo-terminal\n");
                    return 1;
                }
                const std::pair<const char *, QString> values[] = {
                    {"COMDevice2", lane->device->path()},
                    {"AutoPS", QLatin1String(type)},
                    {"RTSwitch", QStringLiteral("1")},
                    {"AutoPSPath", file},
                    {"AutoRTPath", file},
                    {"InsertDate", QStringLiteral("False")},
                    {"AutoPSChangedOnly", changedOnly ? QStringLiteral("True") : QStringLiteral("False")},
                };
                for (const auto &[key, value] : values)
                    lane->store.setValue(QLatin1String(key), value);
                lane->station = std::make_unique<Station>(lane->store, clock);
                lane->watch = std::make_unique<TitleWatch>(*lane->station, *lane->device, *playouts.back());
                Lane *l = lane.get();
                QObject::connect(l->station.get(), &Station::message, [l](const QString &text) {
                    ++l->messages;
                    std::printf("  ! %s: message shown: %s\n", qPrintable(l->name), qPrintable(text));
                });
                lanes.push_back(std::move(lane));
            }
        }
    }
    std::printf("titles: %zu lanes, each the station with a virtual transmitter of its own; %.1f minutes of titles "
                "after a warm-up title\n",
        lanes.size(), minutes);
    std::fflush(stdout);
    for (auto &lane : lanes) {
        lane->station->loadSettings();
        lane->station->start();
    }
    const bool warm = runUntil(
        [&] {
            for (auto &lane : lanes) {
                if (lane->station->record().lastSentTitle != QLatin1String("Warm Up Title")
                    || lane->device->state().rds.rt != kWarmUpLine || !lane->station->line().isIdle())
                    return false;
            }
            return true;
        },
        kSettleLimitMs);
    if (!warm)
        std::printf("  ! not every lane put the warm-up title on air\n");

    for (auto &lane : lanes)
        lane->watch->start();
    for (auto &playout : playouts)
        playout->start();
    // The end: no new title; what is under way finishes, so the last titles
    // may still reach the air.
    QTimer::singleShot(static_cast<int>(minutes * 60 * 1000), &app, [&] {
        for (auto &playout : playouts)
            playout->stop();
        runUntil(
            [&] {
                for (auto &playout : playouts) {
                    if (playout->rewriting())
                        return false;
                }
                for (auto &lane : lanes) {
                    if (!lane->watch->lastOnAir() || !lane->station->line().isIdle())
                        return false;
                }
                return true;
            },
            kSettleLimitMs);
        for (auto &lane : lanes)
            lane->watch->stop();
        app.quit();
    });
    app.exec();

    std::printf("\ntitle to air (seconds from the file holding a new title to the transmitter holding its list / its "
                "RadioText):\n");
    for (auto &lane : lanes)
        std::printf("  %s: %s\n", qPrintable(lane->name), qPrintable(TitleWatch::describe(lane->watch->figures())));
    for (const auto &playout : playouts)
        std::printf(
            "titles written to %s: %d\n", qPrintable(QFileInfo(playout->path()).fileName()), playout->written());
    return 0;
}
