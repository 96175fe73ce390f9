// The simulator as a program: it assigns its line to a COM number in the
// program's settings store, keeps a JSON state file, and gives the number
// back however it ends.
#include "link/clock.h"
#include "link/encodings.h"
#include "link/link_runner.h"
#include "link/serial_link.h"
#include "support/wait.h"
#include "transmitter/frequency.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace zfm;
using namespace zfm::test;

namespace {

constexpr int kCom = 6;

enum class Ending { Terminate, Interrupt, HangUp };

class SimulatorProgram : public ::testing::TestWithParam<std::pair<const char *, Ending>> {
protected:
    QString storedDevice() const
    {
        QSettings store(home.filePath(QStringLiteral("Kestrel Devices/ZephyrineFM+.conf")), QSettings::IniFormat);
        return store.value(QStringLiteral("ZephyrineFM+ v1.0/COMDevice%1").arg(kCom)).toString();
    }
    QJsonObject stateFile() const
    {
        QFile f(statePath);
        return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
    }
    QTemporaryDir home;
    QString statePath = home.filePath(QStringLiteral("state.json"));
};

} // namespace

TEST_P(SimulatorProgram, RegistersItsLineKeepsItsStateAndUnregisters)
{
    const Ending ending = GetParam().second;
    QStringList args{QStringLiteral("--config-home"), home.path(), QStringLiteral("--com"), QString::number(kCom),
        QStringLiteral("--state-file"), statePath};
    if (ending == Ending::HangUp)
        args << QStringLiteral("--fault") << QStringLiteral("hangup-after=2");
    QProcess simulator;
    simulator.start(QStringLiteral(ZFM_VIRTUAL_TRANSMITTER), args);
    ASSERT_TRUE(simulator.waitForStarted());
    ASSERT_TRUE(runUntil([&] { return simulator.canReadLine(); }, 5000));
    const QString path = QString::fromLocal8Bit(simulator.readLine()).trimmed();
    ASSERT_TRUE(path.startsWith(QLatin1String("/dev/"))) << path.toStdString();
    ASSERT_EQ(storedDevice(), path);

    // The program finds the line through the store, as it would at start-up.
    SettingsRecord record;
    record.COMSelected = kCom;
    record.COMDevice[kCom] = storedDevice();
    record.LineSettings = QStringLiteral("9600,N,8,1");
    ManualClock clock;
    SerialLink link(record, &record.LineSettings);
    LinkRunner runner(link, clock);
    WireScript s;
    s.open().frame(2, "FF", FrequencyPair(98500)).frame(1, "PS07", Text(QStringLiteral("NEWS    ")));
    bool done = false;
    ASSERT_TRUE(runner.start(s, [&](LinkRunner::Outcome) { done = true; }));
    ASSERT_TRUE(runUntil([&] { return done; }));
    ASSERT_TRUE(runUntil([&] { return stateFile()["counters"].toObject()["total"].toInt() == 2; }, 5000));

    if (ending == Ending::Terminate) {
        // On request it writes the state again.
        QFile::remove(statePath);
        ::kill(static_cast<pid_t>(simulator.processId()), SIGUSR1);
        ASSERT_TRUE(runUntil([&] { return QFile::exists(statePath); }, 5000));
    }
    link.close();
    if (ending != Ending::HangUp)
        ::kill(static_cast<pid_t>(simulator.processId()), ending == Ending::Terminate ? SIGTERM : SIGINT);
    ASSERT_TRUE(simulator.waitForFinished(5000));
    EXPECT_EQ(simulator.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(simulator.exitCode(), 0);
    EXPECT_TRUE(storedDevice().isEmpty());

    const QJsonObject state = stateFile();
    EXPECT_EQ(state["device"].toObject()["path"].toString(), path);
    EXPECT_EQ(state["device"].toObject()["hungUp"].toBool(), ending == Ending::HangUp);
    EXPECT_EQ(state["transmitter"].toObject()["frequencyKHz"].toInt(), 98500);
    EXPECT_EQ(state["rds"].toObject()["ps"].toArray()[7].toString(), QStringLiteral("NEWS    "));
    EXPECT_EQ(state["counters"].toObject()["frames"].toObject()["FF"].toInt(), 1);
    EXPECT_EQ(state["counters"].toObject()["malformed"].toInt(), 0);
    const QString output = QString::fromLocal8Bit(simulator.readAllStandardOutput());
    EXPECT_TRUE(output.contains(QLatin1String("FF 98.500 MHz"))) << output.toStdString();
    EXPECT_TRUE(output.contains(QLatin1String("PS07 \"NEWS    \""))) << output.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Endings, SimulatorProgram,
    ::testing::Values(std::pair{"terminated", Ending::Terminate}, std::pair{"interrupted", Ending::Interrupt},
        std::pair{"lineCut", Ending::HangUp}),
    [](const auto &info) { return std::string(info.param.first); });
