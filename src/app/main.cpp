#include "app/main_window.h"
#include "app/resident_memory.h"
#include "station/station.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kestrel Devices"));
    QApplication::setApplicationName(QStringLiteral("ZephyrineFM+"));
    QApplication::setApplicationVersion(QStringLiteral("1.1"));
    // The window may hide in the tray; the program ends when it has exited.
    QApplication::setQuitOnLastWindowClosed(false);
    // The start-up benchmark runs the program without its splash, reports when
    // the window is on screen and how much memory it holds, and ends.
    const bool probe = qEnvironmentVariableIsSet("ZFM_STARTUP_PROBE");
    zfm::MainWindow::Options options;
    options.splash = !probe;
    zfm::MainWindow window(options);
    QObject::connect(&window, &zfm::MainWindow::exited, &app, &QApplication::quit, Qt::QueuedConnection);
    if (!window.station().record().TrayAtStart)
        window.show();
    if (probe) {
        QTimer::singleShot(0, &app, [] {
            std::printf("shown rss_kib=%ld\n", zfm::residentMemoryKiB());
            std::fflush(stdout);
            QApplication::exit(0);
        });
    }
    return QApplication::exec();
}
