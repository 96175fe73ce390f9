// The serial setup window, opened from the real main window, against the
// virtual transmitter and pseudo-terminals on real lines.
#include "app/setup_dialog.h"
#include "link/encodings.h"
#include "support/wait.h"
#include "support/window_fixture.h"
#include "virtual_transmitter.h"

#include <QAction>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSerialPort>
#include <QTest>

#include <algorithm>
#include <map>
#include <string_view>

using namespace zfm;
using namespace zfm::test;

namespace {

const QByteArray kStatusRequest = commandFrame(1, "FM", " ");

class SetupDialogTest : public WindowTest {
protected:
    // Every COM number stands for a device that is not there, except those given.
    void placeDevices(const std::map<int, QString> &present)
    {
        for (int n = 1; n <= kComPorts; ++n) {
            const auto it = present.find(n);
            store(QStringLiteral("COMDevice%1").arg(n),
                it != present.end() ? it->second : QStringLiteral("/dev/zfm-absent-%1").arg(n));
        }
    }
    // File > Setup, as the operator opens it; waits until the window is up and
    // an earlier one is gone, so that controls are found by name in the window.
    SetupDialog &openSetup()
    {
        window->findChild<QAction *>(QStringLiteral("mnuSetup"))->trigger();
        EXPECT_TRUE(runUntil(
            [this] { return visibleDialog() != nullptr && window->findChildren<SetupDialog *>().size() == 1; }));
        dialog = visibleDialog();
        statuses.clear();
        QObject::connect(dialog, &SetupDialog::statusChanged, [this](const QString &text) { statuses << text; });
        return *dialog;
    }
    SetupDialog *visibleDialog() const
    {
        const auto all = window->findChildren<SetupDialog *>();
        const auto it = std::find_if(all.begin(), all.end(), [](SetupDialog *d) { return d->isVisible(); });
        return it == all.end() ? nullptr : *it;
    }
    void selectPort(int n) { find<QComboBox>("cmbCOMPort")->setCurrentIndex(n - 1); }
    bool setupOpen() { return window->station().hasSetup(); }

    std::unique_ptr<vt::VirtualTransmitter> onCom3;
    QPointer<SetupDialog> dialog;
    QStringList statuses;
};

enum class On { Nothing, Line, Device, HeldDevice };

// What "Autoscan" and "Test" report for what stands on COM 3 (Autoscan also
// asks a silent line on COM 2 on the way; Test asks the selected COM 3).
struct PortRow {
    const char *name, *button;
    int16_t mode;
    On on; // a device is of the small family
    bool garbage; // the device answers with line noise
    const char *message; // empty: the specific reason the port cannot be used
    const char *comSelected = nullptr, *comSpeed = nullptr; // as a search stores them
};

class PortTest : public SetupDialogTest, public ::testing::WithParamInterface<PortRow> { };

const char *const kNotFound = "Sorry, can't find FM transmitter on any of the ports.";
const char *const kWrongPort = "Wrong COM port or wrong baud rate.";

} // namespace

TEST_P(PortTest, ReportsWhatThePortsDid)
{
    const PortRow &row = GetParam();
    const bool search = row.button == std::string_view("cmdAutoscan");
    store(QStringLiteral("MODE"), QString::number(row.mode));
    store(QStringLiteral("COMSpeed"), QLatin1String(row.mode == kModeSmall ? "5" : "2"));
    QSerialPort holder;
    QString path = row.on == On::Line ? capture.path() : QStringLiteral("/dev/zfm-absent-3");
    if (row.on == On::Device || row.on == On::HeldDevice) {
        vt::Options o;
        o.family = vt::Family::Small;
        o.faults.garbage = row.garbage;
        onCom3 = std::make_unique<vt::VirtualTransmitter>(o);
        path = onCom3->path();
    }
    placeDevices({{2, capture.path()}, {3, path}});
    start();
    if (row.on == On::HeldDevice) {
        // Another program has the port.
        holder.setPortName(path);
        ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    }
    openSetup();
    if (!search)
        selectPort(3);

    click(row.button);
    ASSERT_TRUE(runUntil([this] { return !boxes.texts().isEmpty(); }, 30000));

    QString expected = QLatin1String(row.message);
    if (row.on == On::HeldDevice)
        expected = LinkFailure{LinkFailure::Kind::PortBusy, 3, path, {}}.message();
    EXPECT_EQ(boxes.texts(), QStringList{expected});
    EXPECT_TRUE(find<QPushButton>(row.button)->isEnabled());
    EXPECT_TRUE(setupOpen());
    if (!search) {
        if (row.on == On::Line) {
            EXPECT_EQ(capture.bytes(), kStatusRequest);
        }
        return;
    }
    EXPECT_EQ(stored(QStringLiteral("COMSelected")), QLatin1String(row.comSelected));
    EXPECT_EQ(stored(QStringLiteral("COMSpeed")), QLatin1String(row.comSpeed));
    // The silent line on COM 2 was asked once, at the family's speed; without
    // an answer the search goes on up to COM 15.
    const int baud = row.mode == kModeSmall ? 38400 : 9600;
    EXPECT_EQ(capture.bytes(), kStatusRequest);
    EXPECT_TRUE(statuses.contains(QStringLiteral("Scanning port 2 at %1 bps").arg(baud)))
        << statuses.join(u'|').toStdString();
    const bool found = QLatin1String(row.message) != QLatin1String(kNotFound);
    EXPECT_EQ(statuses.contains(QStringLiteral("Scanning port 4")), !found);
    EXPECT_EQ(statuses.contains(QStringLiteral("Scanning port 15")), !found);
    EXPECT_FALSE(statuses.contains(QStringLiteral("Scanning port 16")));
}

INSTANTIATE_TEST_SUITE_P(Rows, PortTest,
    ::testing::Values(PortRow{"SearchSmallFamily", "cmdAutoscan", kModeSmall, On::Device, false,
                          "FM transmitter found on port 3 at Baudrate 38400", "3", "5"},
        // A transmitter jumpered for the other speed stays silent; the operator's port is kept.
        PortRow{"SearchOtherSpeed", "cmdAutoscan", kModeClassic, On::Device, false, kNotFound, "2", "2"},
        // Only an answer that begins with "Alarm" is a transmitter.
        PortRow{"SearchGarbage", "cmdAutoscan", kModeSmall, On::Device, true, kNotFound, "2", "5"},
        PortRow{"TestMissing", "cmdTest", kModeSmall, On::Nothing, false, "Selected COM port does not exist."},
        // Any answer counts here, also one that does not begin with "Alarm".
        PortRow{"TestGarbage", "cmdTest", kModeSmall, On::Device, true, "Correct settings!"},
        PortRow{"TestQuietLine", "cmdTest", kModeClassic, On::Line, false, kWrongPort},
        PortRow{"TestHeldByAnotherProgram", "cmdTest", kModeSmall, On::HeldDevice, false, ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SetupDialogTest, WhileOpenTheWindowHasTheLineAndGivesItBackAtTheFamilysSpeed)
{
    PtyCapture other;
    start();
    ASSERT_TRUE(window->station().line().isPortOpen());

    openSetup();
    EXPECT_TRUE(setupOpen());
    EXPECT_FALSE(window->station().line().isPortOpen());

    // COM 5 shows its standard device until another one is assigned.
    selectPort(5);
    auto *device = find<QLineEdit>("txtDevice");
    EXPECT_EQ(device->text(), QStringLiteral("/dev/ttyUSB0"));
    device->setText(other.path());
    QTest::keyClick(device, Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible()); // Return assigns; it does not close the window
    EXPECT_EQ(stored(QStringLiteral("COMDevice5")), other.path());
    EXPECT_EQ(stored(QStringLiteral("COMSelected")), QStringLiteral("5"));

    click("cmdOK");
    EXPECT_FALSE(setupOpen());
    EXPECT_TRUE(runUntil([this] { return dialog.isNull(); }));

    // The next sender opens the assigned device, at the classic family's speed.
    window->findChild<QPushButton *>(QStringLiteral("cmdFreqTest"))->click();
    ASSERT_TRUE(waitIdle());
    ASSERT_TRUE(other.waitForBytes(1));
    EXPECT_TRUE(other.bytes().contains("FF"));
    EXPECT_EQ(other.pty().baud(), 9600);
    EXPECT_TRUE(capture.bytes().isEmpty());

    // "Default" gives the number its standard device back; closing the
    // window any other way also lets the automatic work resume.
    openSetup();
    click("cmdDefaultDevice");
    EXPECT_EQ(stored(QStringLiteral("COMDevice5")), QStringLiteral("<absent>"));
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_FALSE(setupOpen());
    EXPECT_EQ(window->station().line().lineSettings(), QStringLiteral("9600,N,8,1"));
}

TEST_F(SetupDialogTest, ClosingDuringASearchStopsIt)
{
    // Silent lines on every number up to 6: a search that would take seconds.
    std::map<int, QString> present;
    for (int n = 1; n <= 6; ++n)
        present[n] = capture.path();
    placeDevices(present);
    start();
    openSetup();
    QTimer::singleShot(700, dialog, [this] { dialog->close(); });

    click("cmdAutoscan");

    EXPECT_TRUE(runUntil([this] { return dialog.isNull(); }, 5000));
    EXPECT_FALSE(setupOpen());
    EXPECT_TRUE(boxes.texts().isEmpty());
    // The test port let go of the line: the main port opens it again.
    capture.clear();
    window->findChild<QPushButton *>(QStringLiteral("cmdFreqTest"))->click();
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(capture.waitForBytes(7));
    EXPECT_TRUE(boxes.texts().isEmpty());
}
