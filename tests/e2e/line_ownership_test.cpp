// The operator at work while the line is in use: exit, the family choice,
// repeated requests, a test button and tab switches meet uploads and replies
// under way. The real window against the virtual transmitter.
#include "e2e/live_window.h"
#include "support/wait.h"

#include <QRadioButton>
#include <QTabWidget>

using namespace zfm;
using namespace zfm::test;

using LineOwnership = LiveWindow;

// Exit while "Send RT and PS" runs: the frame on the line is finished, and
// nothing is said on the way out. The exits land at moments within a frame's
// writes; the last one has "Shut down TX at exit" ticked, so power 0 follows.
TEST_F(LineOwnership, ExitDuringAnUploadNeverCutsAFrame)
{
    auto &dev = useDevice();
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

// "Read RDS settings" clicked (while it can be) three times as "Read TX" waits
// for its reply: one read-back, after that reply, and the RadioText update
// given back.
TEST_F(LineOwnership, ReadRdsClickedDuringAStatusRequestReadsBackOnce)
{
    // The RadioText update on, reading a title file that is there and an RT
    // file that is not (which reads as an empty line).
    QTemporaryDir playout;
    const QString titleFile = playout.filePath(QStringLiteral("title.txt"));
    writeWhole(titleFile, "Aurora Vale,Blue\r\n");
    storeAll({{"RTSwitch", "1"}, {"AutoPSPath", titleFile}, {"AutoRTPath", "/nonexistent/for/this/test.txt"}});
    useDevice();
    start();
    click("cmdReadTX");
    auto *readRds = find<QPushButton>("cmdReadRDS");
    for (int i = 0; i < 3; ++i) {
        if (readRds->isEnabled())
            readRds->click();
        runFor(20);
    }
    ASSERT_TRUE(runUntil([&] { return idle() && device->state().counters.readBackReplies >= 1; }, 15000));
    runFor(500);
    EXPECT_EQ(framesNamed("FM"), 1);
    EXPECT_EQ(framesNamed("X"), 1);
    EXPECT_EQ(station().record().RTSwitch, 1);
    EXPECT_EQ(stored(QStringLiteral("RTSwitch")), QStringLiteral("1"));
    EXPECT_TRUE(boxes.texts().isEmpty()) << shownBoxes();
    expectButtons(true);
}

// The test buttons pressed again and again while a read-back streams in: the
// buttons all come back once everything is over.
TEST_F(LineOwnership, TestButtonsDuringAReadBackLeaveEveryButtonBack)
{
    auto &dev = useDevice();
    start();
    click("cmdReadRDS");
    QTimer presses;
    int pressed = 0;
    QObject::connect(&presses, &QTimer::timeout,
        [&] { find<QPushButton>(pressed++ % 2 ? "cmdFreqTest" : "cmdPowerTestP")->click(); });
    presses.start(15);
    ASSERT_TRUE(runUntil([&] { return dev.state().counters.readBackReplies == 1 && dev.repliesDone(); }, 15000));
    runFor(100);
    presses.stop();
    ASSERT_TRUE(waitIdle());
    expectButtons(true);
    EXPECT_EQ(dev.state().counters.malformed, 0);
    EXPECT_EQ(dev.state().counters.readBackReplies, 1);
}

// Tab switches while an upload runs give back "Send settings" (the other
// operation) but never the button of an upload that waits or runs, so uploads
// can never pile up.
TEST_F(LineOwnership, TabSwitchesNeverGiveBackAButtonWhoseUploadIsUnderWay)
{
    auto &dev = useDevice();
    start();
    auto *tabs = window->tabs();
    click("cmdSendRTPS");
    for (int round = 0; round < 3; ++round) {
        for (int t = 0; t < tabs->count(); ++t) {
            tabs->setCurrentIndex(t);
            EXPECT_FALSE(find<QPushButton>("cmdSendRTPS")->isEnabled());
            EXPECT_FALSE(find<QPushButton>("cmdReadRDS")->isEnabled());
            auto *send = find<QPushButton>("cmdSendSettings");
            if (send->isEnabled())
                send->click();
            EXPECT_FALSE(send->isEnabled());
        }
    }
    ASSERT_TRUE(waitIdle(60000));
    EXPECT_EQ(framesNamed("SAVE"), 2); // one "Send RT and PS", one "Send settings"
    EXPECT_EQ(framesNamed("FW"), 1);
    EXPECT_EQ(dev.state().counters.malformed, 0);
    expectButtons(true);
}
