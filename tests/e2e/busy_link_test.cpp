// Everything that acts by itself at once. The automatic RadioText update
// holds the link for its 200 ms lead-in at the start of every second, the
// same moment the other once-a-second timers fire: each of them must still
// get its turn as soon as the link is free.
#include "support/wait.h"
#include "support/window_fixture.h"

#include <QSaveFile>
#include <QTemporaryDir>

using namespace zfm;
using namespace zfm::test;

using BusyLinkTest = WindowTest;

TEST_F(BusyLinkTest, TicksThatFindTheLinkBusyRunWhenItIsFree)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("nowplaying.txt"));
    QSaveFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Aurora Vale,Blue\r\n");
    ASSERT_TRUE(f.commit());
    auto &dev = useDevice();
    store(QStringLiteral("AutoPSPath"), file);
    store(QStringLiteral("AutoRTPath"), file);
    store(QStringLiteral("RTSwitch"), QStringLiteral("1"));
    store(QStringLiteral("AutoRead"), QStringLiteral("True"));
    store(QStringLiteral("Scheme 0"), QStringLiteral("03:15   98.000MHz  40%  DAILY"));
    store(QStringLiteral("SchemeValue 0"), QStringLiteral("1"));
    store(QStringLiteral("SchemeEnable"), QStringLiteral("1"));
    useManualClock = true;
    clock.set(QDateTime(QDate(2026, 3, 10), QTime(3, 14, 58)));
    start();
    auto frames = [&](const char *name) {
        const auto &all = dev.state().counters.frames;
        const auto it = all.find(QByteArray(name));
        return it == all.end() ? 0 : it->second;
    };

    // The RadioText follows its file, and the status is read every second all the same.
    ASSERT_TRUE(runUntil([&] { return dev.state().rds.rt == "Aurora Vale,Blue"; }, 10000));
    ASSERT_TRUE(runUntil([&] { return dev.state().counters.statusReplies >= 3; }, 6000));

    // 03:15: the scheme switches the transmitter and the encoder's clock is set.
    clock.set(QDateTime(QDate(2026, 3, 10), QTime(3, 15, 0)));
    ASSERT_TRUE(runUntil([&] { return frames("FW") == 1 && frames("TIME") == 1 && frames("SAVE") == 2; }, 30000));
    EXPECT_EQ(dev.state().transmitter.frequencyKHz, 98000);
    EXPECT_EQ(dev.state().transmitter.powerByte, 40 * 44 / 100 + 4);
    EXPECT_EQ(dev.state().counters.malformed, 0);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
}
