// The scheduler and the daily clock synchronisation end to end: the real
// window's own timers and a settable clock, with everything the program writes
// recorded on a pseudo-terminal or the virtual transmitter on its COM port.
#include "app/schedule_driver.h"
#include "app/station.h"
#include "e2e/live_window.h"
#include "rds/rds_upload.h"
#include "support/scheduler_window.h"
#include "support/script_frames.h"
#include "support/wait.h"

#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>

using namespace zfm;
using namespace zfm::test;

using SchedulerEndToEnd = SchedulerWindowTest;
using BusyLinkTest = LiveWindow;

namespace {
QDateTime at(int h, int m, int s) { return {QDate(2026, 3, 10), QTime(h, m, s)}; } // a Tuesday
QByteArray bytes(const char *spacedHex) { return QByteArray::fromHex(spacedHex); }
} // namespace

// 03:15:00 falls while an upload holds the link: the clock frames follow it.
// At 07:00 a scheme due that minute sends the settings, unattended, once.
TEST_F(SchedulerEndToEnd, ClockSyncAt0315AndASchemeDueThisMinute)
{
    store(QStringLiteral("Scheme 0"), QStringLiteral("07:00   98.000MHz  40%  DAILY"));
    store(QStringLiteral("SchemeValue 0"), QStringLiteral("1"));
    store(QStringLiteral("Scheme 1"), QStringLiteral("07:01  105.000MHz  90%  DAILY"));
    store(QStringLiteral("SchemeValue 1"), QStringLiteral("1"));
    store(QStringLiteral("SchemeEnable"), QStringLiteral("1"));
    clock.set(at(3, 14, 59));
    start();
    Station &station = window->station();
    const ScheduleDriver &driver = window->scheduleDriver();
    QSignalSpy ticks(&driver, &ScheduleDriver::clockShown);
    ASSERT_TRUE(ticks.wait(3000));
    EXPECT_TRUE(capture.bytes().isEmpty());
    EXPECT_FALSE(driver.pcTime().isEmpty());

    station.SendSettings(Attended::No);
    ASSERT_TRUE(station.runner().isBusy());
    clock.set(at(3, 15, 0));
    ASSERT_TRUE(runUntil([&] { return driver.clockSyncPending(); }, 3000));
    ASSERT_TRUE(runUntil([&] { return !station.runner().isBusy() && !driver.clockSyncPending(); }, 60000));
    const QByteArray upload = SendSettingsScript(station.record(), Attended::No).bytes(clock);
    // 03:15:00 is 07 13 04, 2026-03-10 is 1A 07 0E; "Send CT" off is "0".
    const QByteArray sync = bytes("00 54 49 4d 45 01 07 13 04 02  00 44 41 54 45 01 1a 07 0e 02"
                                  "00 47 43 54 01 30 02  00 53 41 56 45 01 30 02");
    EXPECT_EQ(hex(capture.bytes()), hex(upload + sync));
    EXPECT_FALSE(station.port().isOpen()) << "a synchronisation leaves the port closed";
    const qsizetype before = capture.bytes().size();

    // The timer's tick at 06:59:59 evaluates that minute and sends nothing.
    clock.set(at(6, 59, 59));
    ASSERT_TRUE(runUntil([&] { return driver.evaluator().LastEvaluatedMinute() == EvaluatedMinute{3, 6, 59}; }));
    EXPECT_EQ(capture.bytes().size(), before);

    clock.set(at(7, 0, 0));
    ASSERT_TRUE(runUntil([&] { return station.runner().isBusy(); }));
    ASSERT_TRUE(runUntil([&] { return !station.runner().isBusy(); }, 60000));
    // The whole unattended "Send settings" with the scheme's frequency and power.
    SettingsRecord expected = station.record();
    EXPECT_EQ(expected.TXFrequency, 98000);
    EXPECT_EQ(expected.TXPower, 40);
    const QByteArray wire = capture.bytes().mid(before);
    EXPECT_EQ(hex(wire), hex(SendSettingsScript(expected, Attended::No).bytes(clock)));
    // 98000 kHz / 5 = 19600: low seven bits 16 + 4, the rest 153 + 4; 40 % is 40 * 44 / 100 + 4.
    EXPECT_TRUE(wire.contains(bytes("00 00 46 46 01 14 9d 02"))) << "FF";
    EXPECT_TRUE(wire.contains(bytes("00 00 46 4f 01 15 02"))) << "FO";
    EXPECT_EQ(boxes.texts(), QStringList()) << "nobody was asked to confirm";
    EXPECT_EQ(window->statusText(), QStringLiteral("Ready"));
    EXPECT_EQ(window->findChild<QLabel *>(QStringLiteral("lblFrequency"))->text(), QStringLiteral("98.000MHz"));
    EXPECT_EQ(window->findChild<QSlider *>(QStringLiteral("sldPower"))->value(), 40);
    EXPECT_EQ(stored(QStringLiteral("TXFrequency")), QStringLiteral("98000"));
    EXPECT_EQ(stored(QStringLiteral("TXPower")), QStringLiteral("40"));

    // Later in the same minute nothing happens again.
    clock.set(at(7, 0, 30));
    window->scheduleDriver().TimerSchedule();
    EXPECT_FALSE(station.runner().isBusy());
    EXPECT_EQ(capture.bytes().size(), before + wire.size());
}

// Everything that acts by itself at once. The automatic RadioText update
// holds the link for its 200 ms lead-in at the start of every second, the
// same moment the other once-a-second timers fire: each of them must still
// get its turn as soon as the link is free.
TEST_F(BusyLinkTest, TicksThatFindTheLinkBusyRunWhenItIsFree)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("nowplaying.txt"));
    writeWhole(file, "Aurora Vale,Blue\r\n");
    auto &dev = useDevice();
    store(QStringLiteral("AutoPSPath"), file);
    store(QStringLiteral("AutoRTPath"), file);
    store(QStringLiteral("RTSwitch"), QStringLiteral("1"));
    store(QStringLiteral("AutoRead"), QStringLiteral("True"));
    store(QStringLiteral("Scheme 0"), QStringLiteral("03:15   98.000MHz  40%  DAILY"));
    store(QStringLiteral("SchemeValue 0"), QStringLiteral("1"));
    store(QStringLiteral("SchemeEnable"), QStringLiteral("1"));
    useManualClock = true;
    clock.set(at(3, 14, 58));
    start();

    // The RadioText follows its file, and the status is read every second all the same.
    ASSERT_TRUE(runUntil([&] { return dev.state().rds.rt == "Aurora Vale,Blue"; }, 10000));
    ASSERT_TRUE(runUntil([&] { return dev.state().counters.statusReplies >= 3; }, 6000));

    // 03:15: the scheme switches the transmitter and the encoder's clock is set.
    clock.set(at(3, 15, 0));
    ASSERT_TRUE(runUntil(
        [&] { return framesNamed("FW") == 1 && framesNamed("TIME") == 1 && framesNamed("SAVE") == 2; }, 30000));
    EXPECT_EQ(dev.state().transmitter.frequencyKHz, 98000);
    EXPECT_EQ(dev.state().transmitter.powerByte, 40 * 44 / 100 + 4);
    EXPECT_EQ(dev.state().counters.malformed, 0);
    EXPECT_TRUE(boxes.texts().isEmpty()) << shownBoxes();
}
