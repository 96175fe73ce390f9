#include "app/main_window.h"
#include "app/station.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kestrel Devices"));
    QApplication::setApplicationName(QStringLiteral("ZephyrineFM+"));
    QApplication::setApplicationVersion(QStringLiteral("1.1"));
    // The window may hide in the tray; the program ends when it has exited.
    QApplication::setQuitOnLastWindowClosed(false);
    zfm::MainWindow window;
    QObject::connect(&window, &zfm::MainWindow::exited, &app, &QApplication::quit, Qt::QueuedConnection);
    if (!window.isHidden() || !window.station().record().TrayAtStart)
        window.show();
    return QApplication::exec();
}
