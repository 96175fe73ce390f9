// Fault drills: the real window against the virtual transmitter while the
// line or the transmitter fail. Each drill ends in its message (or
// deliberately none) with the window idle and nothing lost. (Noise on the
// line is among the damaged replies; title files that vanish in the playout drill.)
#include "e2e/live_window.h"
#include "link/link_failure.h"
#include "support/wait.h"

using namespace zfm;
using namespace zfm::test;

using FaultDrill = LiveWindow;

// The cable is pulled part way through an upload: one message naming the lost
// line, the buttons back, the status line not claiming success, and the next
// upload finds no port at all.
TEST_F(FaultDrill, LineLostMidUploadIsReportedOnceAndTheNextUploadFindsNoPort)
{
    const std::pair<const char *, int> rows[] = {
        {"cmdSendSettings", 10}, // inside the transmitter part
        {"cmdSendRTPS", 60}, // inside the PS texts
    };
    for (const auto &[button, framesBeforeCut] : rows) {
        SCOPED_TRACE(button);
        window.reset();
        boxes.clear();
        vt::Options o;
        o.faults.hangupAfter = framesBeforeCut;
        auto &dev = useDevice(o);
        const QString line = dev.path();
        start();
        click(button);
        ASSERT_TRUE(runUntil([&] { return dev.isHungUp() && idle() && !boxes.texts().isEmpty(); }, 30000));
        runFor(300); // room for a second message, which must not come
        const QString lost = LinkFailure{LinkFailure::Kind::LineLost, 2, line, {}}.message();
        EXPECT_EQ(boxes.texts(), QStringList{lost});
        EXPECT_EQ(dev.state().counters.total, framesBeforeCut);
        EXPECT_EQ(dev.state().counters.malformed, 0);
        expectButtons(true);
        EXPECT_NE(window->statusText(), QStringLiteral("Ready"));

        boxes.clear();
        click(button);
        ASSERT_TRUE(runUntil([&] { return idle() && !boxes.texts().isEmpty(); }, 10000));
        runFor(200);
        EXPECT_EQ(boxes.texts(), QStringList{kPortMissingMessage});
        expectButtons(true);
    }
}

// A transmitter that stops answering: a manual read and a read-back end in
// their message, the automatic read in none; nothing waits for ever, so each
// step finds the window free, "Read RDS settings" still asks the silent
// transmitter while the automatic read runs (and says that it got nothing),
// and once the transmitter answers again it works as before. A read-back that
// fails gives the RadioText update back.
TEST_F(FaultDrill, SilentTransmitterLeavesNothingStuck)
{
    // The RadioText update on, reading a title file that is there and an RT
    // file that is not (which reads as an empty line).
    QTemporaryDir playout;
    const QString titleFile = playout.filePath(QStringLiteral("title.txt"));
    writeWhole(titleFile, "Aurora Vale,Blue\r\n");
    storeAll({{"RTSwitch", "1"}, {"AutoPSPath", titleFile}, {"AutoRTPath", "/nonexistent/for/this/test.txt"}});
    vt::Options o;
    o.faults.silent = true;
    auto &dev = useDevice(o);
    vt::DeviceState withStationPs = vt::DeviceState::factory();
    withStationPs.rds.ps[3] = "STATION ";
    dev.setState(withStationPs);
    start();
    const QString noRds = QStringLiteral("Error receiving RDS parameters.");
    const std::pair<const char *, QString> manual[]
        = {{"cmdReadTX", QStringLiteral("Error receiving Status.")}, {"cmdReadRDS", noRds}};
    for (const auto &[button, message] : manual) {
        SCOPED_TRACE(button);
        boxes.clear();
        click(button);
        EXPECT_EQ(station().record().RTSwitch, message == noRds ? 0 : 1); // held off while the read-back runs
        ASSERT_TRUE(runUntil([&] { return !boxes.texts().isEmpty() && idle(); }, 6000));
        EXPECT_EQ(boxes.texts(), QStringList{message});
        EXPECT_EQ(station().record().RTSwitch, 1);
        expectButtons(true);
    }

    click("optAutoRTNo"); // its file does not exist
    boxes.clear();
    click("chkAutoRead");
    const int unanswered = dev.state().counters.unansweredRequests;
    ASSERT_TRUE(runUntil([&] { return dev.state().counters.unansweredRequests >= unanswered + 3; }, 6000));
    EXPECT_TRUE(boxes.texts().isEmpty()) << shownBoxes();

    const int asked = framesNamed("X");
    ASSERT_TRUE(runUntil([&] { return find<QPushButton>("cmdReadRDS")->isEnabled(); }, 3000));
    click("cmdReadRDS");
    ASSERT_TRUE(runUntil([&] { return !boxes.texts().isEmpty() && !station().line().has(JobKind::ReadBack); }, 8000));
    EXPECT_EQ(boxes.texts(), QStringList{noRds});
    EXPECT_EQ(framesNamed("X"), asked + 1);

    dev.setFaults({});
    boxes.clear();
    ASSERT_TRUE(runUntil([&] { return find<QPushButton>("cmdReadRDS")->isEnabled(); }, 3000));
    click("cmdReadRDS");
    ASSERT_TRUE(runUntil(
        [&] { return dev.state().counters.readBackReplies == 1 && !station().line().has(JobKind::ReadBack); }, 10000));
    EXPECT_EQ(station().record().PS[3], QStringLiteral("STATION "));
    ASSERT_TRUE(runUntil([&] { return label("txtOutputPower") == QLatin1String("50.0W"); }, 4000));
    EXPECT_TRUE(boxes.texts().isEmpty()) << shownBoxes();
}
