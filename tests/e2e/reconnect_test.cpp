// "Reconnect automatically when the port is lost": the line is cut while the
// automatic update is at work and a new device appears on the same COM number
// a while later, as when an adapter is plugged in again.
#include "e2e/live_window.h"
#include "link/link_failure.h"
#include "support/wait.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>

using namespace zfm;
using namespace zfm::test;

using ReconnectDrill = LiveWindow;

namespace {

// PS text frames ("PS00" to "PS99") the device has taken.
int psTexts(const vt::VirtualTransmitter &device)
{
    int n = 0;
    for (const auto &[name, count] : device.state().counters.frames)
        n += name.size() == 4 && name.startsWith("PS") ? count : 0;
    return n;
}

} // namespace

TEST_F(ReconnectDrill, ALostLineIsTriedAgainAndGetsTheTitleAndTheRadioText)
{
    QTemporaryDir dir;
    const QString psFile = dir.filePath(QStringLiteral("title.txt"));
    const QString rtFile = dir.filePath(QStringLiteral("rt.txt"));
    writeWhole(psFile, "Mira,Tides\r\n");
    writeWhole(rtFile, "On air: Mira - Tides\r\n");
    storeAll({{"AutoReconnect", "True"}, {"AutoPS", "1"}, {"RTSwitch", "1"}, {"AutoRead", "True"},
        {"InsertDate", "False"}, {"AutoPSPath", psFile}, {"AutoRTPath", rtFile}});
    auto &first = useDevice();
    start();

    // Cut in the middle of the first title's upload.
    ASSERT_TRUE(runUntil([&] { return psTexts(first) >= 20; }, 15000));
    first.hangUp();
    ASSERT_TRUE(runUntil([&] { return !boxes.texts().isEmpty(); }, 5000));
    EXPECT_TRUE(station().isPortAway());
    EXPECT_EQ(window->statusText(), QStringLiteral("Reconnecting to COM 2 ..."));
    const QString lost = LinkFailure{LinkFailure::Kind::LineLost, 2, first.path(), {}}.message();
    EXPECT_TRUE(boxes.texts().front().startsWith(lost)) << shownBoxes();

    // The playout program goes on meanwhile; the page follows it.
    writeWhole(psFile, "Aurora Vale,Blue Hour\r\n");
    writeWhole(rtFile, "On air: Aurora Vale - Blue Hour\r\n");
    ASSERT_TRUE(
        runUntil([&] { return find<QLineEdit>("txtTitle")->text() == QStringLiteral("Aurora Vale Blue Hour"); }, 5000));

    // A button pressed while the port is away says what it always says.
    click("cmdSendSettings");
    ASSERT_TRUE(runUntil([&] { return boxes.texts().size() == 2; }, 5000));
    EXPECT_EQ(boxes.texts().back(), kPortMissingMessage);

    runFor(8000 - 3000);
    vt::Options o;
    o.echo = false;
    vt::VirtualTransmitter second(o);
    store(QStringLiteral("COMDevice2"), second.path());
    QElapsedTimer sinceBack;
    sinceBack.start();
    const QByteArray rt = "On air: Aurora Vale - Blue Hour";
    qint64 rtMs = -1, titleMs = -1;
    ASSERT_TRUE(runUntil(
        [&] {
            if (rtMs < 0 && second.state().rds.rt.startsWith(rt))
                rtMs = sinceBack.elapsed();
            if (titleMs < 0 && second.state().rds.ps[0] == "Aurora V" && second.state().rds.ps[1] == "ale Blue")
                titleMs = sinceBack.elapsed();
            return rtMs >= 0 && titleMs >= 0;
        },
        15000));
    std::printf("reconnect drill: RT on the new line %lld ms, title %lld ms after it appeared\n",
        static_cast<long long>(rtMs), static_cast<long long>(titleMs));
    EXPECT_LT(std::max(rtMs, titleMs), 10000);
    EXPECT_FALSE(station().isPortAway());

    // The whole list, then the automatic read again; nothing was switched off,
    // and nothing more was said.
    ASSERT_TRUE(runUntil([&] { return second.state().counters.statusReplies >= 1; }, 30000));
    EXPECT_EQ(psTexts(second), 100);
    EXPECT_EQ(boxes.texts().size(), 2) << shownBoxes();
    for (const char *key : {"AutoPS", "RTSwitch"})
        EXPECT_EQ(stored(QLatin1String(key)), QStringLiteral("1")) << key;
    EXPECT_EQ(stored(QStringLiteral("AutoRead")), QStringLiteral("True"));
}
