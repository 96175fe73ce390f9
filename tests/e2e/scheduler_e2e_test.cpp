// The scheduler and the daily clock synchronisation end to end: the real
// window's own timers and a settable clock against the virtual transmitter.
// (When each fires, and what it writes, is pinned by the scheduler's and the
// clock synchronisation's own tests.)
#include "e2e/live_window.h"
#include "support/wait.h"

#include <QSlider>
#include <QTemporaryDir>

using namespace zfm;
using namespace zfm::test;

using BusyLinkTest = LiveWindow;

// Everything that acts by itself at once. The automatic RadioText update
// holds the link for its 200 ms lead-in at the start of every second, the
// same moment the other once-a-second timers fire: each of them must still
// get its turn as soon as the link is free. The scheme's values reach the
// window and the store; nobody is asked to confirm.
TEST_F(BusyLinkTest, TicksThatFindTheLinkBusyRunWhenItIsFree)
{
    QTemporaryDir dir;
    auto &dev = startBeforeDawn(dir);

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
    EXPECT_EQ(dev.state().counters.malformed, 0);
    EXPECT_TRUE(boxes.texts().isEmpty()) << shownBoxes();
    EXPECT_EQ(label("lblFrequency"), QStringLiteral("98.000MHz"));
    EXPECT_EQ(find<QSlider>("sldPower")->value(), 40);
    EXPECT_EQ(stored(QStringLiteral("TXFrequency")), QStringLiteral("98000"));
    EXPECT_EQ(stored(QStringLiteral("TXPower")), QStringLiteral("40"));
}
