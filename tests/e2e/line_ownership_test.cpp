// The operator at work while the line is in use: exit and the family choice
// meet uploads under way. The real window against the virtual transmitter.
// (Bursts of requests, tab switches and the test buttons at any moment are the
// random operator's.)
#include "e2e/live_window.h"
#include "support/wait.h"

using namespace zfm;
using namespace zfm::test;

using LineOwnership = LiveWindow;

// Exit while "Send RT and PS" runs: the frame on the line is finished, and
// nothing is said on the way out. The exits land at moments within a frame's
// writes; the last one has "Shut down TX at exit" ticked, so power 0 follows,
// and the stored power stays the operator's.
TEST_F(LineOwnership, ExitDuringAnUploadNeverCutsAFrame)
{
    auto &dev = useDevice();
    store(QStringLiteral("TXPower"), QStringLiteral("100"));
    for (int offsetMs : {55, 65, 75, 85}) {
        SCOPED_TRACE(offsetMs);
        const bool shutDown = offsetMs == 85;
        boxes.clear();
        if (shutDown)
            store(QStringLiteral("ShutDown"), QStringLiteral("True"));
        start();
        const int before = dev.state().counters.total;
        click("cmdSendRTPS");
        // Exit `offsetMs` after a frame has been taken: within the next one's writes.
        QMetaObject::Connection exitSoon = QObject::connect(&dev, &vt::VirtualTransmitter::logged, [&] {
            if (dev.state().counters.total >= before + 5) {
                QObject::disconnect(exitSoon);
                QTimer::singleShot(offsetMs, window.get(), [this] { window->close(); });
            }
        });
        bool exited = false;
        QObject::connect(window.get(), &MainWindow::exited, [&] { exited = true; });
        ASSERT_TRUE(runUntil([&] { return exited; }, 15000));
        runFor(200); // what a cut frame would leave on the line
        EXPECT_EQ(dev.state().counters.malformed, 0);
        EXPECT_LT(dev.state().counters.total, before + (shutDown ? 70 : 20));
        EXPECT_EQ(dev.state().transmitter.powerPercent, shutDown ? 0 : 100);
        EXPECT_EQ(framesNamed("FW"), shutDown ? 1 : 0);
        EXPECT_EQ(stored(QStringLiteral("TXPower")), QStringLiteral("100")) << "the power the next start sends";
        EXPECT_TRUE(boxes.texts().isEmpty()) << shownBoxes();
    }
}

// The other family chosen while "Send RT and PS" runs at 38400: the upload
// keeps its speed to its last byte, and the line takes 9600 after it.
TEST_F(LineOwnership, AFamilyChosenDuringAnUploadWaitsForItsEnd)
{
    vt::Options o;
    o.family = vt::Family::Small;
    auto &dev = useDevice(o);
    start();
    click("cmdSendRTPS");
    ASSERT_TRUE(runUntil([&] { return dev.state().counters.total >= 10; }));
    click("optClassic");
    EXPECT_EQ(stored(QStringLiteral("MODE")), QStringLiteral("12"));
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(framesNamed("SAVE"), 1);
    EXPECT_EQ(dev.state().counters.wrongSpeedFrames, 0);
    EXPECT_EQ(dev.state().counters.malformed, 0);
    EXPECT_EQ(station().line().lineSettings(), QStringLiteral("9600,N,8,1"));
}
