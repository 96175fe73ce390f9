#include "app/main_window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kestrel Devices"));
    QApplication::setApplicationName(QStringLiteral("ZephyrineFM+"));
    zfm::MainWindow window;
    window.show();
    return QApplication::exec();
}
