// The scheduler, the daily clock synchronisation and the station log end to
// end: the real window's own timers and a settable clock against the virtual
// transmitter. (When each fires, and what it writes, is pinned by the
// scheduler's and the clock synchronisation's own tests; the rows of each
// operation, failure and alarm by the station log's.)
#include "e2e/live_window.h"
#include "support/raw_db.h"
#include "support/wait.h"

#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>

using namespace zfm;
using namespace zfm::test;

using BusyLinkTest = LiveWindow;

// Everything that acts by itself at once, before dawn: the RadioText update
// following a title file, the status read every second, and a scheme due at
// 03:15, when the encoder's clock is synchronised too. The RadioText update
// holds the link for its 200 ms lead-in at the start of every second, the
// same moment the other once-a-second timers fire: each of them must still
// get its turn as soon as the link is free. The scheme's values reach the
// window and the store; nobody is asked to confirm. The station log the
// window keeps has a row for each, in the order they happened.
TEST_F(BusyLinkTest, TicksThatFindTheLinkBusyRunWhenItIsFree)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("nowplaying.txt"));
    writeWhole(file, "Aurora Vale,Blue\r\n");
    auto &dev = useDevice();
    storeAll({{"AutoPSPath", file}, {"AutoRTPath", file}, {"RTSwitch", "1"}, {"AutoRead", "True"},
        {"Scheme 0", "03:15   98.000MHz  40%  DAILY"}, {"SchemeValue 0", "1"}, {"SchemeEnable", "1"}});
    useManualClock = true;
    clock.set({QDate(2026, 3, 10), QTime(3, 14, 58)});
    start();

    // The RadioText follows its file, and the status is read every second all the same.
    ASSERT_TRUE(runUntil([&] { return dev.state().rds.rt == "Aurora Vale,Blue"; }, 10000));
    ASSERT_TRUE(runUntil([&] { return dev.state().counters.statusReplies >= 3; }, 6000));

    // 03:15: the scheme switches the transmitter and the encoder's clock is set.
    clock.set({QDate(2026, 3, 10), QTime(3, 15, 0)});
    ASSERT_TRUE(runUntil(
        [&] { return framesNamed("FW") == 1 && framesNamed("TIME") == 1 && framesNamed("SAVE") == 2; }, 30000));
    EXPECT_EQ(dev.state().transmitter.frequencyKHz, 98000);
    EXPECT_EQ(dev.state().transmitter.powerByte, 40 * 44 / 100 + 4);
    EXPECT_EQ(std::make_pair(dev.state().clock.hour, dev.state().clock.minute), std::make_pair(3, 15));
    EXPECT_TRUE(boxes.texts().isEmpty()) << shownBoxes();
    EXPECT_EQ(label("lblFrequency"), QStringLiteral("98.000MHz"));
    EXPECT_EQ(find<QSlider>("sldPower")->value(), 40);
    EXPECT_EQ(stored(QStringLiteral("TXFrequency")), QStringLiteral("98000"));
    EXPECT_EQ(stored(QStringLiteral("TXPower")), QStringLiteral("40"));

    ASSERT_TRUE(runUntil([&] { return idle(); }));
    exitProgram();
    RawDb db(
        qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Kestrel Devices/ZephyrineFM+/station-log.sqlite"));
    QStringList events;
    for (const auto &r : db.rows(QStringLiteral("SELECT kind, text FROM events ORDER BY id")))
        events << r[0].toString() + QStringLiteral(": ") + r[1].toString();
    const QString all = events.join(QLatin1Char('\n'));
    const QStringList expected = {
        "start: ZephyrineFM+ started: LumidraxFM V5 on COM 2",
        "title: RadioText on air: Aurora Vale,Blue (COM 2)",
        "scheme: Scheme applied: 98.000MHz, power 40 %",
        "clock-sync: Encoder clock set to 03:15:00, 2026-03-10 on COM 2",
        "exit: ZephyrineFM+ exited",
    };
    for (const QString &e : expected)
        EXPECT_EQ(events.count(e), 1) << e.toStdString() << "\nin\n" << all.toStdString();
    // The scheme's upload (its frames are counted against the wire in the station log's own test).
    const QStringList uploads = events.filter(
        QRegularExpression(QStringLiteral("^upload: Send settings completed on COM 2 \\(\\d\\d frames\\)$")));
    EXPECT_EQ(uploads.size(), 1) << all.toStdString();
    EXPECT_LT(events.indexOf(expected[0]), events.indexOf(expected[1]));
    EXPECT_LT(events.indexOf(expected[1]), events.indexOf(expected[2]));
    EXPECT_EQ(events.last(), expected.last());
    // A history row for every status reply, at the settable clock's time.
    EXPECT_EQ(db.value(QStringLiteral("SELECT count(*) FROM telemetry")).toInt(), dev.state().counters.statusReplies);
    EXPECT_EQ(db.value(QStringLiteral("SELECT min(time) FROM telemetry")).toString().left(19),
        QStringLiteral("2026-03-10T03:14:58"));
}
