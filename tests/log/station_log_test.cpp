// The station log following a real station on the virtual transmitter: what
// each operation, reply and failure leaves in the file, the alarm notices and
// the alarm command.
#include "link/clock.h"
#include "log/station_log.h"
#include "settings/settings_store.h"
#include "station/station.h"
#include "support/printers.h"
#include "support/raw_db.h"
#include "support/wait.h"
#include "virtual_transmitter.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zfm;
using namespace zfm::test;

namespace {

constexpr int kCom = 4;

class StationLogTest : public ::testing::Test {
protected:
    StationLogTest()
    {
        // The small family talks at 38400: a read-back takes a second, not four.
        vt::Options o;
        o.family = vt::Family::Small;
        o.status.alarmMask = 0;
        device = std::make_unique<vt::VirtualTransmitter>(o);
        store.setValue(QStringLiteral("MODE"), QString::number(kModeSmall));
        store.setValue(QStringLiteral("COMSelected"), QString::number(kCom));
        store.setValue(QStringLiteral("COMDevice%1").arg(kCom), device->path());
        store.setValue(QStringLiteral("RTSwitch"), QStringLiteral("0"));
        station.loadSettings();
        StationLog::Options options;
        options.writer.batchMs = 10;
        log = std::make_unique<StationLog>(station, path(), options);
        // The operator acknowledges the static PS.
        QObject::connect(&station, &Station::confirmationRequested, [this] { station.confirm(); });
        QObject::connect(
            log.get(), &StationLog::alarmNotice, [this](const QString &title, const QString &) { notices << title; });
        station.start();
        EXPECT_TRUE(idle());
    }
    ~StationLogTest() override { log.reset(); }
    QString path() const { return dir.filePath(QStringLiteral("station-log.sqlite")); }
    bool idle()
    {
        return runUntil([this] { return station.line().isIdle(); }, 30000);
    }
    void setAlarms(int mask)
    {
        vt::StatusSettings s = device->options().status;
        s.alarmMask = mask;
        device->setStatus(s);
    }
    // "kind: text" of the events after the given id, oldest first.
    QStringList eventsAfter(qint64 id)
    {
        log->writer().sync();
        RawDb db(path());
        QStringList out;
        for (const auto &r : db.rows(QStringLiteral("SELECT kind, text FROM events WHERE id > %1 ORDER BY id").arg(id)))
            out << r[0].toString() + QStringLiteral(": ") + r[1].toString();
        return out;
    }
    qint64 lastId()
    {
        log->writer().sync();
        return RawDb(path()).value(QStringLiteral("SELECT coalesce(max(id), 0) FROM events")).toLongLong();
    }

    QTemporaryDir dir;
    std::unique_ptr<vt::VirtualTransmitter> device;
    MemoryStore store;
    ManualClock clock;
    Station station{store, clock};
    std::unique_ptr<StationLog> log;
    QStringList notices;
};

std::string lines(const QStringList &l) { return l.join(QLatin1Char('\n')).toStdString(); }

} // namespace

// Lamps that light or go out become events and notices, with the powers of
// the reply (its history row is pinned by the store's test).
TEST_F(StationLogTest, AlarmsBecomeEventsAndNotices)
{
    const qint64 before = lastId();
    const int masks[] = {0, 3, 3, 2, 34};
    for (int mask : masks) {
        setAlarms(mask);
        station.readTx();
        ASSERT_TRUE(idle());
    }
    EXPECT_EQ(eventsAfter(before),
        QStringList({
            "alarm-raised: T AMP ALARM raised: forward 50 W, reflected 1.2 W",
            "alarm-raised: SWR ALARM raised: forward 50 W, reflected 1.2 W",
            "alarm-cleared: T AMP ALARM cleared: forward 50 W, reflected 1.2 W",
            // On standby the transmitter sends nothing.
            "alarm-cleared: SWR ALARM cleared: forward 0 W, reflected 0 W",
            "alarm-raised: REMOTE standby raised: forward 0 W, reflected 0 W",
        }))
        << lines(eventsAfter(before));
    EXPECT_EQ(notices,
        QStringList(
            {"ZephyrineFM+: T AMP ALARM raised", "ZephyrineFM+: SWR ALARM raised", "ZephyrineFM+: T AMP ALARM cleared",
                "ZephyrineFM+: SWR ALARM cleared", "ZephyrineFM+: REMOTE standby raised"}));
}

// Uploads name the operation, the port and the frames the transmitter got;
// a read-back, a silent transmitter and a pulled cable each leave their event.
TEST_F(StationLogTest, OperationsAndFailures)
{
    qint64 id = lastId();
    int frames = device->state().counters.total;
    station.sendSettings();
    ASSERT_TRUE(idle());
    const int sent = device->state().counters.total - frames;
    ASSERT_GT(sent, 10);
    EXPECT_EQ(eventsAfter(id),
        QStringList({QStringLiteral("upload: Send settings completed on COM 4 (%1 frames)").arg(sent)}));

    id = lastId();
    station.readRds();
    ASSERT_TRUE(idle());
    device->setFaults({.silent = true});
    station.readTx();
    ASSERT_TRUE(idle());
    device->setFaults({});
    station.readTx();
    ASSERT_TRUE(idle());
    runFor(20);
    EXPECT_EQ(eventsAfter(id),
        QStringList({
            "readback: RDS settings read back from COM 4",
            "link-lost: The transmitter on COM 4 does not answer",
            "message: Error receiving Status.",
            "link-back: The transmitter on COM 4 answers again",
        }))
        << lines(eventsAfter(id));

    id = lastId();
    device->hangUp();
    station.testPower();
    ASSERT_TRUE(idle());
    runFor(20);
    const QStringList failed = eventsAfter(id);
    ASSERT_EQ(failed.size(), 2) << lines(failed);
    EXPECT_TRUE(failed[0].startsWith(QStringLiteral("link-lost: "))) << lines(failed);
    EXPECT_TRUE(failed[1].startsWith(QStringLiteral("upload-failed: Power test failed on COM 4: "))) << lines(failed);
    // What the operator was told about the failure is the failure, logged once.
    EXPECT_EQ(failed[0].mid(11), failed[1].mid(failed[1].indexOf(QStringLiteral("COM 4: ")) + 7));
}

// The alarm command set in the setup window runs for each alarm (what it is
// told is pinned by its own test); its failure is logged.
TEST_F(StationLogTest, TheAlarmCommandRunsForEachAlarm)
{
    const qint64 id = lastId();
    station.record().AlarmCommand = dir.filePath(QStringLiteral("missing-program"));
    setAlarms(2);
    station.readTx();
    ASSERT_TRUE(idle());
    ASSERT_TRUE(runUntil([&] { return eventsAfter(id).size() == 2; }, 10000)) << lines(eventsAfter(id));
    EXPECT_TRUE(eventsAfter(id)[1].startsWith(QStringLiteral("message: The alarm command \"")))
        << lines(eventsAfter(id));
}
