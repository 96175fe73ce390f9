// Uploads from the real window: what reaches the line (a pseudo-terminal),
// the buttons around it, and the window staying live.
#include "e2e/live_window.h"
#include "support/script_frames.h"
#include "support/wait.h"
#include "transmitter/send_settings.h"

using namespace zfm;
using namespace zfm::test;

using UploadTest = LiveWindow;

// What the window writes is the upload script for its record, byte for byte
// (the scripts themselves are pinned frame by frame in their own tests): the
// classic family with the static PS to confirm, the small one in one sequence
// at its own speed. The window stays live meanwhile and gives the buttons back.
TEST_F(UploadTest, SendSettingsWritesTheScriptForEachFamily)
{
    struct Row {
        const char *name, *mode, *speed;
        QStringList confirmed;
        int baud;
    };
    const Row rows[] = {
        {"classic", nullptr, nullptr, {QStringLiteral("QRV5260+")}, 9600},
        {"small", "13", "5", {}, 38400},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        window.reset();
        boxes.clear();
        capture.clear();
        if (row.mode) {
            storeAll({{"MODE", QLatin1String(row.mode)}, {"COMSpeed", QLatin1String(row.speed)}});
        }
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
        EXPECT_EQ(boxes.texts(), row.confirmed);
        EXPECT_GT(ticks, 20); // a blocked window would tick once in these seconds
        expectButtons(true); // "Read TX" too, with the small family as well
        SettingsRecord sent = station().record();
        EXPECT_EQ(hex(capture.bytes()), hex(sendSettingsScript(sent, Attended::Yes).bytes(clock)));
        EXPECT_EQ(capture.pty().baud(), row.baud);
    }
    EXPECT_EQ(stored(QStringLiteral("AFNum")), QStringLiteral("1"));
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
    EXPECT_EQ(stored(QStringLiteral("TXFrequency")), QStringLiteral("100000"));
    EXPECT_EQ(stored(QStringLiteral("TXPower")), QStringLiteral("100"));
}
