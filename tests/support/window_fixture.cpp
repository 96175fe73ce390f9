#include "support/window_fixture.h"

#include "settings/settings_store.h"
#include "support/wait.h"

#include <QDir>
#include <QSettings>

namespace zfm::test {

namespace {
QString configFolder() { return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Kestrel Devices"); }
QString dataFolder() { return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Kestrel Devices"); }
} // namespace

WindowTest::WindowTest()
{
    QDir(configFolder()).removeRecursively();
    QDir(dataFolder()).removeRecursively();
    store(QStringLiteral("COMDevice2"), capture.path());
    // The default RadioText update would look for "c:\SongName.txt" and say it is missing.
    store(QStringLiteral("RTSwitch"), QStringLiteral("0"));
}

WindowTest::~WindowTest()
{
    window.reset();
    device.reset();
    QDir(configFolder()).removeRecursively();
    QDir(dataFolder()).removeRecursively();
}

vt::VirtualTransmitter &WindowTest::useDevice(vt::Options options)
{
    options.echo = false;
    device = std::make_unique<vt::VirtualTransmitter>(options);
    store(QStringLiteral("COMDevice2"), device->path());
    if (options.family == vt::Family::Small) {
        store(QStringLiteral("MODE"), QStringLiteral("13"));
        store(QStringLiteral("COMSpeed"), QStringLiteral("5"));
    }
    return *device;
}

void WindowTest::store(const QString &key, const QString &text)
{
    PlatformStore s;
    s.setValue(key, text);
    s.sync();
}

QString WindowTest::stored(const QString &key) const
{
    PlatformStore s;
    return s.value(key).value_or(QStringLiteral("<absent>"));
}

MainWindow &WindowTest::start()
{
    MainWindow::Options options;
    options.splash = false;
    if (useManualClock)
        options.clock = &clock;
    window = std::make_unique<MainWindow>(options);
    window->show();
    waitIdle();
    return *window;
}

void WindowTest::exitProgram()
{
    bool exited = false;
    QObject::connect(window.get(), &MainWindow::exited, [&] { exited = true; });
    window->close();
    EXPECT_TRUE(runUntil([&] { return exited; }, 60000));
}

void WindowTest::click(const char *name)
{
    auto *b = find<QAbstractButton>(name);
    ASSERT_TRUE(b && b->isEnabled()) << name;
    b->click();
}

bool WindowTest::waitIdle(int timeoutMs)
{
    return runUntil([this] { return window->station().line().isIdle(); }, timeoutMs);
}

} // namespace zfm::test
