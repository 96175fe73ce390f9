// Test main for every test program: a real QApplication on the offscreen
// platform, a fixed locale, and private configuration and data folders so no
// test ever touches the operator's own settings or station log.
#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char **argv)
{
    // Test discovery may run the program outside CTest's environment.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir runtimeDir;
    QTemporaryDir configDir;
    QTemporaryDir dataDir;
    setenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit().constData(), 0);
    setenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit().constData(), 1);
    // The station log goes to the program's data folder.
    setenv("XDG_DATA_HOME", dataDir.path().toLocal8Bit().constData(), 1);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kestrel Devices"));
    QApplication::setApplicationName(QStringLiteral("ZephyrineFM+"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
