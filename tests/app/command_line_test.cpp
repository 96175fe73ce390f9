// The program's command line: what it makes of its options, the built program
// answering --help, --version and mistakes, and a run on another settings
// folder and port that leaves the stored port alone.
#include "app/command_line.h"
#include "app/project.h"
#include "settings/settings_store.h"
#include "support/printers.h"
#include "support/wait.h"
#include "virtual_transmitter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zfm;
using namespace zfm::test;

namespace {

using Action = CommandLine::Action;

struct Finished {
    int exitCode = -1;
    QString out;
    QString err;
};

// The built program with these arguments, on the offscreen platform or with
// no display at all.
Finished runProgram(const QStringList &arguments, bool display = true)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(name));
    if (display)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ZFM_PROGRAM), arguments);
    EXPECT_TRUE(p.waitForFinished(20000)) << arguments.join(QLatin1Char(' ')).toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
        QString::fromLocal8Bit(p.readAllStandardOutput()), QString::fromLocal8Bit(p.readAllStandardError())};
}

} // namespace

TEST(CommandLine, OptionsAndMistakes)
{
    const QString here = QDir::currentPath();
    struct Row {
        QStringList arguments;
        Action action;
        int port;
        bool minimized;
        QString configHome;
        QString text; // part of the help, version or refusal
    };
    const Row rows[] = {
        {{}, Action::Run, 0, false, {}, {}},
        {{"--port=16"}, Action::Run, 16, false, {}, {}},
        {{"--minimized", "-port", "1"}, Action::Run, 1, true, {}, {}},
        {{"--config-home", "training"}, Action::Run, 0, false, here + "/training", {}},
        {{"--port", "0"}, Action::Refuse, 0, false, {},
            "zephyrinefm: --port takes a COM number from 1 to 16, not '0'."},
        {{"--port", "17"}, Action::Refuse, 0, false, {}, "not '17'"},
        {{"--port", "COM3"}, Action::Refuse, 0, false, {}, "not 'COM3'"},
        {{"--port"}, Action::Refuse, 0, false, {}, "Missing value after '--port'."},
        {{"--config-home", ""}, Action::Refuse, 0, false, {}, "--config-home needs a folder."},
        {{"settings.conf"}, Action::Refuse, 0, false, {}, "Unexpected argument 'settings.conf'."},
        {{"-h", "--bogus"}, Action::Refuse, 0, false, {}, "Unknown option 'bogus'."},
        {{"--port", "3", "-v"}, Action::ShowVersion, 0, false, {}, "ZephyrineFM+ "},
    };
    for (const Row &row : rows) {
        const std::string args = row.arguments.join(QLatin1Char(' ')).toStdString();
        const CommandLine c = parseCommandLine(QStringList{"/usr/bin/zephyrinefm"} + row.arguments);
        EXPECT_EQ(c.action, row.action) << args;
        EXPECT_TRUE(c.text.contains(row.text)) << args << ": " << c.text.toStdString();
        if (row.action == Action::Refuse) {
            EXPECT_TRUE(c.text.endsWith(QStringLiteral("Try 'zephyrinefm --help' for the options."))) << args;
        }
        if (row.action != Action::Run)
            continue;
        EXPECT_EQ(c.port, row.port) << args;
        EXPECT_EQ(c.minimized, row.minimized) << args;
        EXPECT_EQ(c.configHome, row.configHome) << args;
    }
}

TEST(ProgramCommandLine, AnswersHelpVersionAndMistakesWithTheirExitCodes)
{
    const QString version = QStringLiteral("ZephyrineFM+ %1\n").arg(kVersion);
    struct Row {
        QStringList arguments;
        bool display;
        int exitCode;
        QString out; // the start of standard output
        QString err; // part of standard error
    };
    const Row rows[] = {
        // Help, the version and mistakes need no desktop.
        {{"--version"}, false, 0, version, {}},
        {{"--help"}, false, 0, "Usage: zephyrinefm [options]\n", {}},
        {{"--power", "50"}, false, 2, {}, "zephyrinefm: Unknown option 'power'.\n"},
        // Qt's own options are taken out before the rest is judged.
        {{"-style", "fusion", "--version"}, true, 0, version, {}},
    };
    for (const Row &row : rows) {
        const std::string args = row.arguments.join(QLatin1Char(' ')).toStdString();
        const Finished run = runProgram(row.arguments, row.display);
        EXPECT_EQ(run.exitCode, row.exitCode) << args << ": " << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith(row.out)) << args << ": " << run.out.toStdString();
        if (row.err.isEmpty()) {
            EXPECT_EQ(run.err, QString()) << args;
        } else {
            EXPECT_TRUE(run.err.contains(row.err)) << args << ": " << run.err.toStdString();
        }
        if (row.exitCode != 0) {
            EXPECT_EQ(run.out, QString()) << args;
        }
    }
}

// A run with --config-home and --port: the program finds its store and the
// transmitter in that folder, talks on the given port, and the repairs and
// saves of the run leave the stored port as it was.
TEST(ProgramCommandLine, RunsOnAnotherFolderAndPortWithoutStoringThePort)
{
    QTemporaryDir home;
    vt::VirtualTransmitter device(vt::Options{});
    ASSERT_TRUE(device.isValid());
    const QString file = home.filePath(QStringLiteral("Kestrel Devices/ZephyrineFM+.conf"));
    const auto onDisk = [&](const char *key) {
        return QSettings(file, QSettings::IniFormat).value(PlatformStore::kSection + QLatin1Char('/') + key).toString();
    };
    {
        QSettings seed(file, QSettings::IniFormat);
        seed.beginGroup(PlatformStore::kSection);
        seed.setValue(QStringLiteral("COMSelected"), QStringLiteral("3"));
        seed.setValue(QStringLiteral("COMDevice5"), device.path());
        seed.setValue(QStringLiteral("SettingsAtStart"), QStringLiteral("True"));
        seed.setValue(QStringLiteral("RTSwitch"), QStringLiteral("0"));
        seed.setValue(QStringLiteral("Pilot"), QStringLiteral("unreadable")); // repaired and saved at start
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(ZFM_PROGRAM), {"--config-home", home.path(), "--port", "5"});
    ASSERT_TRUE(program.waitForStarted());
    // "Send settings at Start" ends the transmitter's part with its store command.
    const bool sent = runUntil([&] { return device.state().counters.frames.count("FW") > 0; }, 30000);
    program.kill();
    program.waitForFinished(5000);
    ASSERT_TRUE(sent) << program.readAllStandardError().toStdString();
    EXPECT_EQ(device.state().counters.malformed, 0);
    EXPECT_EQ(onDisk("Pilot"), QStringLiteral("4"));
    EXPECT_EQ(onDisk("COMSelected"), QStringLiteral("3"));
    // Nothing went to the per-user store of the test run.
    EXPECT_FALSE(
        QFile::exists(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Kestrel Devices/ZephyrineFM+.conf")));
    // The station log is kept with the settings.
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral("Kestrel Devices/ZephyrineFM+/station-log.sqlite"))));
    EXPECT_FALSE(QFile::exists(
        qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Kestrel Devices/ZephyrineFM+/station-log.sqlite")));
}
