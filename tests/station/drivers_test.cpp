// The automatic update's driver on a line owner, with the virtual transmitter
// on a real pseudo-terminal and a settable clock.
#include "autoupdate/auto_update_engine.h"
#include "link/clock.h"
#include "link/line_owner.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "station/auto_update_driver.h"
#include "station/daily_clock.h"
#include "station/status_reader.h"
#include "support/printers.h"
#include "support/wait.h"
#include "virtual_transmitter.h"

#include <QFile>
#include <QSemaphore>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zfm;
using namespace zfm::test;

namespace {

constexpr int kCom = 4;

class Drivers : public ::testing::Test {
protected:
    Drivers()
    {
        // At 38400 a whole list takes a few seconds, not four times as long.
        vt::Options o;
        o.baud = 38400;
        device = std::make_unique<vt::VirtualTransmitter>(o);
        record.COMSelected = kCom;
        record.COMSpeed = 5;
        record.COMDevice[kCom] = device->path();
        // The status request keeps the port's speed as it is.
        Job speed;
        speed.kind = JobKind::LineSpeed;
        speed.script = [] { return WireScript().lineSettings(QStringLiteral("38400,N,8,1")); };
        line.submit(std::move(speed));
        runUntil([this] { return line.isIdle(); });
        QObject::connect(&status, &StatusReader::message, [this](const QString &m) { messages << m; });
    }

    std::unique_ptr<vt::VirtualTransmitter> device;
    SettingsRecord record;
    MemoryStore store;
    Settings settings{record, store};
    ManualClock clock;
    LineOwner line{record, clock};
    AutoUpdateEngine engine{settings, clock};
    StatusReader status{line, record};
    QStringList messages;
};

} // namespace

// A synchronisation that falls due while the port is away is kept, and sent
// once when it is back. (Going out at 03:15 on a busy line is drilled with the
// real window.)
TEST_F(Drivers, TheDailyClockKeepsWhatFellDueWhileThePortWasAway)
{
    clock.set(QDateTime(QDate(2026, 3, 8), QTime(3, 14, 59)));
    DailyClock daily(line, record, clock);
    daily.setPaused(true);
    clock.set(QDateTime(QDate(2026, 3, 8), QTime(3, 15, 0)));
    daily.tick();
    EXPECT_FALSE(line.has(JobKind::ClockSync));
    daily.setPaused(false);
    daily.sendOwed();
    daily.sendOwed();
    ASSERT_TRUE(runUntil([this] { return line.isIdle(); }, 15000));
    EXPECT_EQ(device->state().counters.framesNamed("TIME"), 1);
}

// A title file on a share that stops answering: the read is given up after
// its time limit, the line and the window's loop go on meanwhile, no second
// read starts while the first still hangs, and once the share answers again
// the title goes out.
TEST_F(Drivers, AHungTitleFileNeverHoldsUpTheLine)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("title.txt"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Mira,Tides\r\n");
    f.close();
    engine.restore();
    engine.setPsPath(file);
    engine.setInsertDate(false);
    engine.setRtUpdate(false);
    engine.setPsUpdate(true);

    std::atomic<int> reads{0}, inFlight{0}, mostInFlight{0};
    std::atomic<bool> hangs{true};
    QSemaphore share;
    auto read = [&](const QString &path, qsizetype limit) {
        ++reads;
        mostInFlight = std::max(mostInFlight.load(), ++inFlight);
        if (hangs)
            share.acquire();
        --inFlight;
        return readTextFile(path, limit);
    };
    AutoUpdateDriver driver(line, engine, read, 300);
    QObject::connect(&driver, &AutoUpdateDriver::message, [this](const QString &m) { messages << m; });
    driver.start();

    driver.tick();
    EXPECT_TRUE(driver.isTicking());
    status.readTx(); // the line is free for others while the file hangs
    ASSERT_TRUE(runUntil([&] { return device->state().counters.statusReplies == 1 && line.isIdle(); }, 5000));
    ASSERT_TRUE(runUntil([&] { return !driver.isTicking(); }, 3000));
    for (int i = 0; i < 3; ++i) {
        driver.tick();
        ASSERT_TRUE(runUntil([&] { return !driver.isTicking(); }, 3000));
    }
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(engine.titleDisplay(), QString());
    // Said once for the whole spell.
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().contains(file)) << messages.front().toStdString();

    hangs = false;
    share.release();
    ASSERT_TRUE(runUntil([&] { return inFlight == 0; }, 3000));
    // The timer's next two ticks read the file again and send the title.
    EXPECT_TRUE(runUntil([&] { return line.isRunning(JobKind::AutoPs); }, 5000));
    EXPECT_EQ(engine.titleDisplay(), QStringLiteral("Mira Tides"));
    EXPECT_EQ(mostInFlight, 1);
}

namespace {

// The automatic update with "Send only changed entries" on a device whose
// list this run knows (as after "Send RT and PS"), one title file.
class ChangedEntries : public Drivers {
protected:
    ChangedEntries()
    {
        engine.restore();
        engine.setPsPath(file);
        engine.setRtPath(file);
        engine.setInsertDate(false);
        engine.setRtUpdate(false);
        engine.setPsUpdate(true);
        engine.setChangedOnly(true);
        vt::DeviceState s = device->state();
        for (size_t i = 0; i < vt::kPsCount; ++i) {
            s.rds.ps[i] = record.PS[i].toLatin1();
            s.rds.psDelay[i] = record.PSDelay[i];
        }
        device->setState(s);
        engine.deviceListSent(PsList::of(record));
        QObject::connect(device.get(), &vt::VirtualTransmitter::logged, [this](const QString &line) {
            const QString name = line.section(QLatin1Char(' '), 0, 0);
            if (!line.startsWith(QLatin1Char(' ')))
                sent << name;
        });
        driver.start(); // ticks only while its timer runs; the test ticks it itself
    }
    void write(const QByteArray &line)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(line + "\r\n");
    }
    // Two ticks that read the same file: a new title is taken and sent.
    bool twoTicks()
    {
        for (int i = 0; i < 2; ++i) {
            driver.tick();
            if (!runUntil([this] { return !driver.isTicking() && line.isIdle(); }, 30000))
                return false;
        }
        return true;
    }
    // The entries where the device's list differs from the record's, which a
    // whole upload would have sent as they are.
    QStringList differences() const
    {
        QStringList d;
        const vt::RdsState &rds = device->state().rds;
        for (size_t i = 0; i < vt::kPsCount; ++i) {
            if (rds.ps[i] != record.PS[i].toLatin1())
                d << QStringLiteral("PS%1 \"%2\", not \"%3\"").arg(i).arg(QString::fromLatin1(rds.ps[i]), record.PS[i]);
            if (rds.psDelay[i] != record.PSDelay[i])
                d << QStringLiteral("PD%1 %2, not %3").arg(i).arg(rds.psDelay[i]).arg(record.PSDelay[i]);
        }
        return d;
    }
    int psFramesSent() const
    {
        return static_cast<int>(std::count_if(sent.begin(), sent.end(),
            [](const QString &n) { return n.startsWith(QLatin1String("PS")) || n.startsWith(QLatin1String("PD")); }));
    }

    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("title.txt"));
    AutoUpdateDriver driver{line, engine};
    QStringList sent;
};

} // namespace

// After every title the device holds what a whole upload would have left,
// and every frame sent changed an entry: split and scroll, with and without
// the date, titles that grow and shrink, the same title again.
TEST_F(ChangedEntries, EveryTitleLeavesTheListAWholeUploadWould)
{
    struct Row {
        const char *what;
        int type; // 1 split, 2 scroll
        bool date;
        QByteArray file;
    };
    const Row rows[] = {
        {"split, grows", 1, false, "Aurora Vale,Over the Harbour Wall"},
        {"split, shrinks", 1, false, "Mira,Blue"},
        {"split with the date", 1, true, "Mira,Echo"},
        {"scroll with the date", 2, true, "DJ Kestrel,Static"},
        {"scroll, grows", 2, false, "DJ Kestrel,Night Drive"},
        {"scroll, shrinks", 2, false, "Mira,Tides"},
        {"scroll, the same again", 2, false, "Mira,Tides"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        engine.setType(row.type);
        engine.setInsertDate(row.date);
        const vt::RdsState before = device->state().rds;
        sent.clear();
        write(row.file);
        ASSERT_TRUE(twoTicks());
        EXPECT_EQ(differences(), QStringList());
        int changed = 0;
        for (size_t i = 0; i < vt::kPsCount; ++i)
            changed
                += (before.ps[i] != device->state().rds.ps[i]) + (before.psDelay[i] != device->state().rds.psDelay[i]);
        EXPECT_EQ(psFramesSent(), changed);
        EXPECT_LT(psFramesSent(), 60);
    }
    EXPECT_EQ(device->state().counters.malformed, 0);
}

// With the option a RadioText that changed with the title goes first: one
// frame, not held back behind the list.
TEST_F(ChangedEntries, TheRadioTextGoesBeforeTheList)
{
    engine.setRtUpdate(true);
    for (const QByteArray title : {"Aurora Vale,Blue", "Mira,Over the Harbour Wall"}) {
        sent.clear();
        write(title);
        ASSERT_TRUE(twoTicks());
        ASSERT_TRUE(sent.contains(QStringLiteral("RT"))) << sent.join(' ').toStdString();
        EXPECT_EQ(sent.indexOf(QStringLiteral("RT")), 0) << sent.join(' ').toStdString();
        EXPECT_GT(psFramesSent(), 0);
        EXPECT_EQ(device->state().rds.rt, title);
        EXPECT_EQ(differences(), QStringList());
    }
}

// A line lost in the middle of an upload leaves the device's list unknown:
// the next list goes whole, and leaves what a whole upload leaves.
TEST_F(ChangedEntries, ALineLostInMidUploadMakesTheNextListWhole)
{
    bool cut = false;
    QObject::connect(device.get(), &vt::VirtualTransmitter::logged, [this, &cut](const QString &line) {
        if (line.startsWith(QLatin1String("PS02")) && !std::exchange(cut, true))
            QTimer::singleShot(0, device.get(), [this] { device->hangUp(); });
    });
    write("Northern Lights Orchestra,A Very Long Song Title Indeed");
    driver.tick();
    ASSERT_TRUE(runUntil([this] { return !driver.isTicking(); }));
    driver.tick();
    ASSERT_TRUE(runUntil([this] { return device->isHungUp() && !driver.isTicking() && line.isIdle(); }));
    EXPECT_FALSE(differences().isEmpty());
    EXPECT_LT(psFramesSent(), 10);

    ASSERT_TRUE(device->plugIn());
    sent.clear();
    driver.tick();
    ASSERT_TRUE(runUntil([this] { return !driver.isTicking() && line.isIdle(); }, 30000));
    EXPECT_EQ(psFramesSent(), 200);
    EXPECT_EQ(sent.first(), QStringLiteral("PS00"));
    EXPECT_EQ(differences(), QStringList());
    EXPECT_EQ(record.lastSentTitle, QStringLiteral("Northern Lights Orchestra A Very Long Song Title Indeed"));
}
