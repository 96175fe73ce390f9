// The station log following the automatic work end to end: the real window's
// own timers, a settable clock and the virtual transmitter. The status read,
// the RadioText update, a scheme and the daily clock synchronisation all
// leave their rows.
#include "e2e/live_window.h"
#include "support/raw_db.h"
#include "support/wait.h"

#include <QRegularExpression>
#include <QTemporaryDir>

using namespace zfm;
using namespace zfm::test;

using StationLogLiveTest = LiveWindow;

TEST_F(StationLogLiveTest, TheAutomaticWorkIsLogged)
{
    QTemporaryDir dir;
    auto &dev = startBeforeDawn(dir);
    ASSERT_TRUE(runUntil([&] { return dev.state().rds.rt == "Aurora Vale,Blue"; }, 10000));
    clock.set({QDate(2026, 3, 10), QTime(3, 15, 0)});
    ASSERT_TRUE(runUntil([&] { return framesNamed("FW") == 1 && framesNamed("TIME") == 1; }, 30000));
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
        "alarm-raised: T AMP ALARM raised: forward 50 W, reflected 1.2 W",
        "alarm-raised: T EXC ALARM raised: forward 50 W, reflected 1.2 W",
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
    // In the order they happened.
    EXPECT_LT(events.indexOf(expected[0]), events.indexOf(expected[3]));
    EXPECT_LT(events.indexOf(expected[3]), events.indexOf(expected[4]));
    EXPECT_EQ(events.last(), expected.last());
    EXPECT_EQ(events.filter(QStringLiteral("upload-failed")).size(), 0);

    // A history row for every status reply, at the settable clock's time.
    EXPECT_EQ(db.value(QStringLiteral("SELECT count(*) FROM telemetry")).toInt(), dev.state().counters.statusReplies);
    EXPECT_EQ(db.value(QStringLiteral("SELECT min(time) FROM telemetry")).toString().left(19),
        QStringLiteral("2026-03-10T03:14:58"));
}
