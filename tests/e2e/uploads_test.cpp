// Uploads from the real window: what reaches the line (a pseudo-terminal) or
// the virtual transmitter, the buttons and the status line around it, and the
// window staying live.
#include "e2e/live_window.h"
#include "link/encodings.h"
#include "rds/rds_model.h"
#include "support/wait.h"
#include "support/wire_frames.h"
#include "transmitter/frequency.h"

using namespace zfm;
using namespace zfm::test;

using UploadTest = LiveWindow;

namespace {

QByteArrayList names(const std::vector<WireFrame> &frames)
{
    QByteArrayList out;
    for (const auto &f : frames)
        out << f.name;
    return out;
}

// Settings that differ from the defaults in every kind of value the window sends.
void unusualSettings(SettingsRecord &r)
{
    r.TXFrequency = 98750;
    r.TXPower = 63;
    r.Pilot = 2;
    r.PTY = 26;
    r.DId = {0, 1, 1, 0};
    r.AF = {0, 12, 34, 56, 0, 0, 0, 0};
    r.RT = QStringLiteral("Good morning from the test studio");
    for (int m = 0; m < kMessages; ++m)
        r.MG[m] = QStringLiteral("Emergency message %1").arg(m + 1);
    for (int i = 0; i < kPsEntries; ++i) {
        r.PS[i] = QStringLiteral("Entry %1").arg(i).leftJustified(8).left(8);
        r.PSDelay[i] = static_cast<int16_t>((i * 3) % 10);
    }
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
    expectButtons(false);
    ASSERT_TRUE(waitIdle());
    ui.stop();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("QRV5260+")});
    EXPECT_GT(ticks, 20); // a blocked window would tick once in these 4.5 s
    expectButtons(true);
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

// Settings sent at start-up with no click, and power zero on the way out
// without touching the stored power.
TEST_F(UploadTest, SettingsAtStartAndShutDownAtExit)
{
    store(QStringLiteral("SettingsAtStart"), QStringLiteral("True"));
    store(QStringLiteral("ShutDown"), QStringLiteral("True"));
    store(QStringLiteral("TXPower"), QStringLiteral("73"));
    start();
    ASSERT_TRUE(runUntil([&] { return splitFrames(capture.bytes()).size() >= 45; }, 20000));
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(boxes.texts().isEmpty());
    const qsizetype atStart = capture.bytes().size();
    EXPECT_EQ(splitFrames(capture.bytes()).back().name, QByteArray("SAVE"));
    EXPECT_EQ(lastFrame(splitFrames(capture.bytes()), "FO")->value, PowerByte(73));

    exitProgram();
    const auto frames = splitFrames(capture.bytes().mid(atStart));
    ASSERT_NE(lastFrame(frames, "FO"), nullptr);
    EXPECT_EQ(lastFrame(frames, "FO")->value, PowerByte(0));
    EXPECT_EQ(frames.back().name, QByteArray("SAVE"));
    EXPECT_TRUE(boxes.texts().isEmpty());
    EXPECT_EQ(stored(QStringLiteral("TXPower")), QStringLiteral("73"));
}

// A port gone or not a serial port when a button is clicked: one message, not a byte written.
TEST_F(UploadTest, UnusablePortIsReportedOnceAndNothingIsWritten)
{
    struct Row {
        const char *device, *button;
        QString message; // or a part of it
    };
    const Row rows[] = {
        {"/dev/zfm-gone", "cmdSendSettings", kPortMissingMessage},
        {"/dev/null", "cmdPowerTestP", QStringLiteral("is not a serial port")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.button);
        window.reset();
        boxes.clear();
        store(QStringLiteral("COMDevice2"), capture.path()); // the row before stored its own
        start();
        window->station().port().close();
        window->station().record().COMDevice[2] = QString::fromLatin1(row.device);
        click(row.button);
        ASSERT_TRUE(waitIdle());
        runFor(100);
        ASSERT_EQ(boxes.texts().size(), 1);
        EXPECT_TRUE(boxes.texts()[0].contains(row.message)) << boxes.texts()[0].toStdString();
        EXPECT_TRUE(capture.bytes().isEmpty());
        expectButtons(true);
    }
}

TEST_F(UploadTest, TestButtonsSendOneFrameAndStoreNothing)
{
    start();
    for (const char *b : {"cmdFreqTest", "cmdFreqTest", "cmdPowerTestP"}) {
        click(b);
        waitIdle();
    }
    ASSERT_TRUE(capture.waitForBytes(20));
    EXPECT_EQ(capture.bytes().toHex(' '), QByteArray("00 46 46 01 7c a4 02 00 46 46 01 7c a4 02 00 46 4f 01 12 02"));
    EXPECT_EQ(window->statusText(), QStringLiteral("Setting output power... 20%"));
    EXPECT_EQ(stored(QStringLiteral("TXFrequency")), QStringLiteral("100000"));
    EXPECT_EQ(stored(QStringLiteral("TXPower")), QStringLiteral("100"));
}

// After "Send settings" and "Send RT and PS" the virtual transmitter holds
// what the window's record says: every text and delay, and a sample of the
// rest (how each value is coded is proved frame by frame in the device's tests).
TEST_F(UploadTest, TheTransmitterHoldsTheRecordAfterBothUploads)
{
    useDevice();
    start();
    boxes.setAnswerDelayMs(50);
    unusualSettings(station().record());
    click("cmdSendSettings");
    ASSERT_TRUE(runUntil([&] { return find<QPushButton>("cmdSendSettings")->isEnabled(); }, 20000));
    click("cmdSendRTPS");
    EXPECT_FALSE(find<QPushButton>("cmdSendSettings")->isEnabled());
    ASSERT_TRUE(runUntil([&] { return find<QPushButton>("cmdSendRTPS")->isEnabled(); }, 40000));
    EXPECT_EQ(window->statusText(), QStringLiteral("Ready"));
    ASSERT_EQ(device->state().counters.malformed, 0);

    const SettingsRecord &r = station().record();
    const auto &t = device->state().transmitter;
    const auto &d = device->state().rds;
    EXPECT_EQ(t.frequencyKHz, r.TXFrequency);
    EXPECT_EQ(t.powerByte, static_cast<unsigned char>(PowerByte(r.TXPower)[0]));
    EXPECT_EQ(t.pilot, r.Pilot);
    EXPECT_EQ(d.pty, r.PTY);
    EXPECT_EQ(d.afCount, 3);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(d.did[k], r.DId[k]) << k;
    EXPECT_EQ(d.rt, r.RT.toLatin1());
    for (int m = 0; m < kMessages; ++m)
        EXPECT_EQ(d.mg[m], r.MG[m].toLatin1()) << m;
    for (int i = 0; i < kPsEntries; ++i) {
        EXPECT_EQ(d.ps[i], r.PS[i].toLatin1()) << i;
        EXPECT_EQ(d.psDelay[i], r.PSDelay[i]) << i;
    }
}
