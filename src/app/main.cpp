#include "app/command_line.h"
#include "app/main_window.h"
#include "app/port_for_run_store.h"
#include "app/project.h"
#include "app/resident_memory.h"
#include "log/station_log.h"
#include "settings/settings_store.h"
#include "station/station.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace {

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Prints the help, the version or what is wrong; nothing when the program is to run.
std::optional<int> answer(const zfm::CommandLine &command)
{
    using Action = zfm::CommandLine::Action;
    if (command.action == Action::Run)
        return std::nullopt;
    const bool refused = command.action == Action::Refuse;
    FILE *to = refused ? stderr : stdout;
    std::fputs(command.text.toLocal8Bit().constData(), to);
    if (!command.text.endsWith(QLatin1Char('\n')))
        std::fputc('\n', to);
    return refused ? zfm::kUsageExitCode : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setOrganizationName(QStringLiteral("Kestrel Devices"));
    QApplication::setApplicationName(QStringLiteral("ZephyrineFM+"));
    QApplication::setApplicationVersion(QLatin1String(zfm::kVersion));
    // Help, the version and mistakes are answered before the window system is
    // reached, so they need no display. Qt's own options ("-style fusion") are
    // known only once the application object has taken them out.
    const QStringList arguments = argumentsOf(argc, argv);
    zfm::CommandLine command = zfm::parseCommandLine(arguments);
    const bool judgeLater = command.action == zfm::CommandLine::Action::Refuse && zfm::mayHoldQtOptions(arguments);
    if (!judgeLater) {
        if (const auto code = answer(command))
            return *code;
    }
    QApplication app(argc, argv);
    if (judgeLater) {
        command = zfm::parseCommandLine(QApplication::arguments());
        if (const auto code = answer(command))
            return *code;
    }
    QGuiApplication::setDesktopFileName(QLatin1String(zfm::kDesktopId));
    // Before the first store is opened: the store's folder is fixed from then on.
    if (!command.configHome.isEmpty())
        zfm::PlatformStore::useFolder(command.configHome);

    // The window may hide in the tray; the program ends when it has exited.
    QApplication::setQuitOnLastWindowClosed(false);
    // The start-up benchmark runs the program without its splash, reports when
    // the window is on screen and how much memory it holds, and ends.
    const bool probe = qEnvironmentVariableIsSet("ZFM_STARTUP_PROBE");
    zfm::PlatformStore platformStore;
    zfm::PortForRunStore store(platformStore, command.port);
    zfm::MainWindow::Options options;
    options.splash = !probe;
    options.store = &store;
    // Another station's settings, another station's log.
    if (!command.configHome.isEmpty())
        options.stationLogPath = zfm::StationLog::pathIn(command.configHome);
    zfm::MainWindow window(options);
    QObject::connect(&window, &zfm::MainWindow::exited, &app, &QApplication::quit, Qt::QueuedConnection);
    // "To tray at start" has sent the window to the tray during start-up.
    if (!window.station().record().TrayAtStart) {
        if (command.minimized)
            window.moveToTray();
        else
            window.show();
    }
    if (probe) {
        QTimer::singleShot(0, &app, [] {
            std::printf("shown rss_kib=%ld\n", zfm::residentMemoryKiB());
            std::fflush(stdout);
            QApplication::exit(0);
        });
    }
    return QApplication::exec();
}
