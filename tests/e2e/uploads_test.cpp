// Uploads from the real window to a pseudo-terminal: what reaches the line,
// the buttons and the status line around it, and the window staying live.
#include "link/encodings.h"
#include "support/wait.h"
#include "support/window_fixture.h"
#include "support/wire_frames.h"
#include "transmitter/frequency.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>

using namespace zfm;
using namespace zfm::test;

using UploadTest = WindowTest;

namespace {

QByteArrayList names(const std::vector<WireFrame> &frames)
{
    QByteArrayList out;
    for (const auto &f : frames)
        out << f.name;
    return out;
}

} // namespace

TEST_F(UploadTest, SendSettingsClassicConfirmsTheStaticPsAndGivesTheButtonsBack)
{
    start();
    boxes.setAnswerDelayMs(300);
    int ticks = 0;
    QTimer ui;
    QObject::connect(&ui, &QTimer::timeout, [&] { ++ticks; });
    ui.start(20);
    click("cmdSendSettings");
    for (const char *b : {"cmdSendSettings", "cmdSendRTPS", "cmdReadRDS", "cmdReadTX"})
        EXPECT_FALSE(find<QPushButton>(b)->isEnabled()) << b;
    ASSERT_TRUE(waitIdle());
    ui.stop();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("QRV5260+")});
    EXPECT_GT(ticks, 20); // a blocked window would tick once in these 4.5 s
    for (const char *b : {"cmdSendSettings", "cmdSendRTPS", "cmdReadRDS", "cmdReadTX"})
        EXPECT_TRUE(find<QPushButton>(b)->isEnabled()) << b;
    EXPECT_EQ(window->statusText(), QStringLiteral("Ready"));
    EXPECT_EQ(window->progressValue(), 0);

    const auto frames = splitFrames(capture.bytes());
    const QByteArrayList expected = {"FDP", "FDR", "FS", "FO", "FF", "FDE", "FDB", "FDA", "FDD", "FDH", "FDC", "FDI",
        "FDGL", "FDGR", "FAT", "FAS", "FAU", "FAC", "FW", "PWR", "CCAC", "PREF", "PTY", "TP", "TA", "GCT", "GRT",
        "GEON", "MS", "Did0", "Did1", "Did2", "Did3", "AF0", "AF1", "AF2", "AF3", "AF4", "AF5", "AF6", "AF7", "RT",
        "PS00", "ECC", "SAVE"};
    EXPECT_EQ(names(frames), expected);
    EXPECT_EQ(lastFrame(frames, "FF")->value, QByteArray("\x24\xA0"));
    EXPECT_EQ(lastFrame(frames, "PS00")->value, QByteArray("QRV5260+"));
    EXPECT_EQ(lastFrame(frames, "AF0")->value, QByteArray(1, '\xE5'));
    EXPECT_EQ(stored(QStringLiteral("AFNum")), QStringLiteral("1"));
}

TEST_F(UploadTest, SendSettingsSmallFamilyIsOneSequenceWithoutConfirmation)
{
    store(QStringLiteral("MODE"), QStringLiteral("13"));
    store(QStringLiteral("COMSpeed"), QStringLiteral("5"));
    start();
    click("cmdSendSettings");
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(boxes.texts().isEmpty());
    const auto frames = splitFrames(capture.bytes());
    ASSERT_EQ(frames.size(), 36u);
    EXPECT_EQ(frames.front().name, QByteArray("FDY"));
    EXPECT_EQ(frames.back().name, QByteArray("FW"));
    EXPECT_EQ(capture.pty().baud(), 38400);
    EXPECT_TRUE(find<QPushButton>("cmdSendSettings")->isEnabled());
}

TEST_F(UploadTest, SendSettingsAtStartNeedsNoClick)
{
    store(QStringLiteral("SettingsAtStart"), QStringLiteral("True"));
    start();
    ASSERT_TRUE(runUntil([&] { return splitFrames(capture.bytes()).size() >= 45; }, 20000));
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_EQ(splitFrames(capture.bytes()).back().name, QByteArray("SAVE"));
}

TEST_F(UploadTest, ExitWithShutDownSendsPowerZeroAndKeepsTheStoredPower)
{
    store(QStringLiteral("ShutDown"), QStringLiteral("True"));
    store(QStringLiteral("TXPower"), QStringLiteral("73"));
    start();
    exitProgram();
    const auto frames = splitFrames(capture.bytes());
    ASSERT_NE(lastFrame(frames, "FO"), nullptr);
    EXPECT_EQ(lastFrame(frames, "FO")->value, PowerByte(0));
    EXPECT_EQ(frames.back().name, QByteArray("SAVE"));
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_EQ(stored(QStringLiteral("TXPower")), QStringLiteral("73"));
}

TEST_F(UploadTest, MissingPortIsReportedOnceAndNoRdsFrameIsWritten)
{
    start();
    window->station().record().COMDevice[2] = QStringLiteral("/dev/zfm-gone");
    window->station().port().close();
    click("cmdSendSettings");
    ASSERT_TRUE(waitIdle());
    runFor(100);
    EXPECT_EQ(boxes.texts(), QStringList{kPortMissingMessage});
    EXPECT_TRUE(capture.bytes().isEmpty());
    for (const char *b : {"cmdSendSettings", "cmdSendRTPS", "cmdReadRDS", "cmdReadTX"})
        EXPECT_TRUE(find<QPushButton>(b)->isEnabled()) << b;
}

TEST_F(UploadTest, TestButtonsSendOneFrameAndStoreNothing)
{
    start();
    click("cmdFreqTest");
    waitIdle();
    click("cmdFreqTest");
    waitIdle();
    click("cmdPowerTestP");
    waitIdle();
    ASSERT_TRUE(capture.waitForBytes(20));
    EXPECT_EQ(capture.bytes().toHex(' '),
        QByteArray::fromHex("004646017ca402"
                            "004646017ca402"
                            "00464f011202")
            .toHex(' '));
    EXPECT_EQ(window->statusText(), QStringLiteral("Setting output power... 20%"));
    EXPECT_EQ(stored(QStringLiteral("TXFrequency")), QStringLiteral("100000"));
    EXPECT_EQ(stored(QStringLiteral("TXPower")), QStringLiteral("100"));
}

TEST_F(UploadTest, TestButtonsReportAnUnusablePort)
{
    start();
    window->station().port().close();
    window->station().record().COMDevice[2] = QStringLiteral("/dev/null");
    click("cmdPowerTestP");
    waitIdle();
    runFor(50);
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts()[0].contains(QLatin1String("is not a serial port"))) << boxes.texts()[0].toStdString();
    EXPECT_TRUE(capture.bytes().isEmpty());
}

TEST_F(UploadTest, SendRtAndPsUploadsEveryTextAndDelay)
{
    start();
    SettingsRecord &r = window->station().record();
    r.PS[7] = QStringLiteral("NEWS    ");
    r.PSDelay[12] = 3;
    click("cmdSendRTPS");
    EXPECT_FALSE(find<QPushButton>("cmdSendSettings")->isEnabled());
    ASSERT_TRUE(waitIdle(60000));
    const auto frames = splitFrames(capture.bytes());
    ASSERT_EQ(frames.size(), 1u + 8 + 100 + 100 + 1);
    EXPECT_EQ(lastFrame(frames, "PS07")->value, QByteArray("NEWS    "));
    EXPECT_EQ(lastFrame(frames, "PD12")->value, QByteArray("3"));
    EXPECT_EQ(window->statusText(), QStringLiteral("Ready"));
    EXPECT_TRUE(find<QPushButton>("cmdSendRTPS")->isEnabled());
}
