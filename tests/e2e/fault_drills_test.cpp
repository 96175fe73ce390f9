// Fault drills: the real window against the virtual transmitter while the
// line fails. (A transmitter that stops answering or sends damaged replies is
// drilled with the replies, title files that vanish in the playout drill, a
// line that comes back in the reconnect drill.)
#include "e2e/live_window.h"
#include "link/link_failure.h"
#include "support/wait.h"

using namespace zfm;
using namespace zfm::test;

using FaultDrill = LiveWindow;

// The cable is pulled part way through an upload, inside the PS texts: one
// message naming the lost line, the buttons back, the status line not
// claiming success, and the next upload finds no port at all.
TEST_F(FaultDrill, LineLostMidUploadIsReportedOnceAndTheNextUploadFindsNoPort)
{
    constexpr int kFramesBeforeCut = 60;
    vt::Options o;
    o.faults.hangupAfter = kFramesBeforeCut;
    auto &dev = useDevice(o);
    const QString line = dev.path();
    start();
    click("cmdSendRTPS");
    ASSERT_TRUE(runUntil([&] { return dev.isHungUp() && idle() && !boxes.texts().isEmpty(); }, 30000));
    runFor(300); // room for a second message, which must not come
    const QString lost = LinkFailure{LinkFailure::Kind::LineLost, 2, line, {}}.message();
    EXPECT_EQ(boxes.texts(), QStringList{lost});
    EXPECT_EQ(dev.state().counters.total, kFramesBeforeCut);
    EXPECT_EQ(dev.state().counters.malformed, 0);
    expectButtons(true);
    EXPECT_NE(window->statusText(), QStringLiteral("Ready"));

    boxes.clear();
    click("cmdSendRTPS");
    ASSERT_TRUE(runUntil([&] { return idle() && !boxes.texts().isEmpty(); }, 10000));
    runFor(200);
    EXPECT_EQ(boxes.texts(), QStringList{kPortMissingMessage});
    expectButtons(true);
}
