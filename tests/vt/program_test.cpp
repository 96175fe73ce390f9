// The simulator as a program: it assigns its line to a COM number in the
// program's settings store, where the program finds it, prints the frames it
// takes, and gives the number back when it ends.
#include "link/clock.h"
#include "link/link_runner.h"
#include "link/serial_link.h"
#include "support/wait.h"
#include "transmitter/frequency.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zfm;
using namespace zfm::test;

TEST(SimulatorProgram, RegistersItsLineAndUnregistersWhenItEnds)
{
    constexpr int kCom = 6;
    QTemporaryDir home;
    const auto storedDevice = [&] {
        QSettings store(home.filePath(QStringLiteral("Kestrel Devices/ZephyrineFM+.conf")), QSettings::IniFormat);
        return store.value(QStringLiteral("ZephyrineFM+ v1.0/COMDevice%1").arg(kCom)).toString();
    };
    QProcess simulator;
    simulator.start(QStringLiteral(ZFM_VIRTUAL_TRANSMITTER),
        {QStringLiteral("--config-home"), home.path(), QStringLiteral("--com"), QString::number(kCom)});
    ASSERT_TRUE(simulator.waitForStarted());
    ASSERT_TRUE(runUntil([&] { return simulator.canReadLine(); }, 5000));
    const QString path = QString::fromLocal8Bit(simulator.readLine()).trimmed();
    ASSERT_EQ(storedDevice(), path);

    // The program finds the line through the store, as it would at start-up.
    SettingsRecord record;
    record.COMSelected = kCom;
    record.COMDevice[kCom] = storedDevice();
    ManualClock clock;
    SerialLink link(record); // at 9600, the classic family's speed
    LinkRunner runner(link, clock);
    WireScript s;
    s.open().frame(2, "FF", frequencyPair(98500));
    bool done = false;
    ASSERT_TRUE(runner.start(s, [&](LinkRunner::Outcome) { done = true; }));
    ASSERT_TRUE(runUntil([&] { return done; }));
    QByteArray printed;
    ASSERT_TRUE(
        runUntil([&] { return (printed += simulator.readAllStandardOutput()).contains("FF 98.500 MHz"); }, 5000))
        << printed.constData();

    link.close();
    simulator.terminate();
    ASSERT_TRUE(simulator.waitForFinished(5000));
    EXPECT_EQ(simulator.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(simulator.exitCode(), 0);
    EXPECT_TRUE(storedDevice().isEmpty());
}
