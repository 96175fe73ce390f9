#include "app/setup_dialog.h"

#include "app/station.h"
#include "app/stored_values.h"
#include "app/widgets.h"
#include "link/encodings.h"
#include "link/port_map.h"
#include "rds/rds_upload.h"

#include <QComboBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace zfm {

namespace {

struct SearchSpeed {
    const char *line;
    const char *text;
};
// The speeds the transmitter's jumpers offer; position + 1 is the "COMSpeed" code.
constexpr SearchSpeed kSpeeds[] = {
    {"2400,n,8,1", "2400"},
    {"9600,n,8,1", "9600"},
    {"14400,n,8,1", "14400"},
    {"19200,n,8,1", "19200"},
    {"38400,n,8,1", "38400"},
};
static_assert(std::size(kSpeeds) == 5);
constexpr int kClassicSpeed = 1;
constexpr int kSmallSpeed = 4;

// Ports 1 to 15 are searched; the last number is never tried.
constexpr int kLastSearchedPort = kComPorts - 1;
constexpr int kPauseShortMs = 500;
constexpr int kAnswerWaitMs = 400;

const SearchSpeed *speedOfText(const QString &text)
{
    for (const SearchSpeed &s : kSpeeds) {
        if (text == QLatin1String(s.text))
            return &s;
    }
    return nullptr;
}

int comSpeedOfText(const QString &text)
{
    const SearchSpeed *s = speedOfText(text);
    return s ? static_cast<int>(s - kSpeeds) + 1 : 0;
}

// The speed the search tries: the family's own, 2400 when no family is chosen.
int searchSpeedIndex(int16_t mode)
{
    if (mode == kModeSmall)
        return kSmallSpeed;
    if (mode == kModeClassic || mode == kModeClassicAlias)
        return kClassicSpeed;
    return 0;
}

const QString kHelpText = QStringLiteral(
    "COM port: Select correct COM port here. Usually this would be COM1!\n\n"
    "Baud rate: It needs to be identical to the baud rate set with jumpers on the encoder board.\n\n"
    "Default settings from factory are 14400 and should work out of the box! Use 14400 when using Jazler or "
    "Zarasoft\n\n"
    "Use 2400 for large cable runs (and set jumpers accordingly). Use faster speeds for faster data transfer and "
    "short cable runs");

// "/dev/ttyUSB0 - FT232R USB UART, FTDI, 0403:6001"
QString describePort(const QSerialPortInfo &port)
{
    QStringList parts;
    if (!port.description().isEmpty())
        parts << port.description();
    if (!port.manufacturer().isEmpty() && port.manufacturer() != port.description())
        parts << port.manufacturer();
    if (port.hasVendorIdentifier() && port.hasProductIdentifier()) {
        parts << QStringLiteral("%1:%2")
                     .arg(port.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                     .arg(port.productIdentifier(), 4, 16, QLatin1Char('0'));
    }
    const QString location = port.systemLocation();
    return parts.isEmpty() ? location : location + QStringLiteral(" \u2013 ") + parts.join(QStringLiteral(", "));
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QString &toolTip = {})
{
    auto *b = ui::captioned<QPushButton>(parent, name, caption, toolTip);
    // Return in the device path assigns it; it must not close the window too.
    b->setAutoDefault(false);
    return b;
}

} // namespace

SetupDialog::SetupDialog(Station &station, QWidget *parent)
    : QDialog(parent), station_(station), testPort_(station.record(), nullptr)
{
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("ZephyrineFM+ Setup"));
    connect(&testPort_, &SerialLink::received, this, [this](char c) {
        if (c != '$')
            answer_.append(c);
    });
    build();
}

SetupDialog::~SetupDialog() { finish(); }

void SetupDialog::build()
{
    auto *outer = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    outer->addLayout(row);

    QGroupBox *frame = ui::frame(this, QStringLiteral("Communications preferences"));
    frame->setObjectName(QStringLiteral("fraCommunications"));
    auto *form = new QFormLayout(frame);

    QStringList portNames;
    for (int n = 1; n <= kComPorts; ++n)
        portNames << QStringLiteral("COM %1").arg(n);
    ports_ = ui::list(frame, "cmbCOMPort", portNames);
    ports_->setToolTip(QStringLiteral("I/O address, 300h is default!"));
    ui::addRow(form, QStringLiteral("COM port:"), ports_);

    auto *deviceRow = new QWidget(frame);
    auto *deviceLayout = new QHBoxLayout(deviceRow);
    deviceLayout->setContentsMargins(0, 0, 0, 0);
    device_ = new QLineEdit(deviceRow);
    device_->setObjectName(QStringLiteral("txtDevice"));
    device_->setToolTip(QStringLiteral("The device this COM number stands for. Type another path and press Enter "
                                       "to use it."));
    device_->setMinimumWidth(device_->fontMetrics().horizontalAdvance(QStringLiteral("/dev/serial/by-id/usb-FTDI")));
    defaultDevice_ = button(deviceRow, "cmdDefaultDevice", QStringLiteral("Default"));
    deviceLayout->addWidget(device_, 1);
    deviceLayout->addWidget(defaultDevice_);
    ui::addRow(form, QStringLiteral("Device:"), deviceRow)->setBuddy(device_);
    device_->setAccessibleName(QStringLiteral("Device:"));

    devices_ = new QComboBox(frame);
    devices_->setObjectName(QStringLiteral("cmbDevices"));
    devices_->setToolTip(QStringLiteral("Serial ports found on this computer; choose one to use it for the "
                                        "selected COM number."));
    devices_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    devices_->setMinimumContentsLength(36);
    ui::addRow(form, QStringLiteral("Serial ports:"), devices_);

    speeds_ = ui::list(frame, "cmbBaudRate", {});
    for (const SearchSpeed &s : kSpeeds)
        speeds_->addItem(QLatin1String(s.text));
    speeds_->setToolTip(QStringLiteral("COM port speed, set jumpers correctly to match this value!"));
    speedCaption_ = ui::addRow(form, QStringLiteral("Baud rate:"), speeds_);
    row->addWidget(frame, 1);

    auto *buttons = new QVBoxLayout;
    ok_ = button(this, "cmdOK", QStringLiteral("OK"));
    autoscan_ = button(
        this, "cmdAutoscan", QStringLiteral("Autoscan"), QStringLiteral("Search ports 1 to 15 for the transmitter"));
    test_ = button(this, "cmdTest", QStringLiteral("Communication test tool"),
        QStringLiteral("Ask the transmitter on the selected port for its status"));
    help_ = button(this, "cmdHelp", QStringLiteral("?"), QStringLiteral("Click for Help!"));
    help_->setAccessibleName(QStringLiteral("Help"));
    for (QPushButton *b : {ok_, autoscan_, test_, help_})
        buttons->addWidget(b);
    buttons->addStretch();
    row->addLayout(buttons);

    auto *bar = new QStatusBar(this);
    bar->setSizeGripEnabled(false);
    status_ = new QLabel(bar);
    status_->setObjectName(QStringLiteral("StatusBar1"));
    bar->addWidget(status_, 1);
    outer->addWidget(bar);

    connect(ok_, &QPushButton::clicked, this, [this] {
        station_.save();
        accept();
    });
    connect(autoscan_, &QPushButton::clicked, this, &SetupDialog::PortSearch);
    connect(test_, &QPushButton::clicked, this, &SetupDialog::CommunicationTest);
    connect(help_, &QPushButton::clicked, this, &SetupDialog::showHelp);
    connect(ports_, &QComboBox::currentIndexChanged, this, &SetupDialog::portChanged);
    connect(speeds_, &QComboBox::currentIndexChanged, this, &SetupDialog::speedChanged);
    connect(device_, &QLineEdit::editingFinished, this, [this] { assignDevice(device_->text()); });
    connect(devices_, &QComboBox::activated, this,
        [this](int index) { assignDevice(devices_->itemData(index).toString()); });
    connect(defaultDevice_, &QPushButton::clicked, this, [this] { assignDevice(QString()); });
}

void SetupDialog::openFrom(Station &station, QWidget *parent)
{
    for (SetupDialog *open : parent->findChildren<SetupDialog *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (open->finished_)
            continue; // on its way out
        if (open->isVisible()) {
            open->raise();
            open->activateWindow();
        }
        return;
    }
    auto *dialog = new SetupDialog(station, parent);
    connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    const QPointer<SetupDialog> guard(dialog);
    // The window closes the main port: a running upload is let finish first.
    station.whenLinkFree([guard] {
        if (!guard)
            return;
        guard->load();
        guard->setModal(true);
        guard->show();
    });
}

void SetupDialog::load()
{
    SettingsRecord &r = station_.record();
    const QStringList unreadable = station_.settings().LoadAllSettings();
    const QStringList repaired = repairStoredValues(r);
    if (!unreadable.isEmpty() || !repaired.isEmpty())
        station_.save();
    emit station_.recordChanged();
    loaded_ = true;
    {
        const QSignalBlocker blockPorts(ports_);
        const QSignalBlocker blockSpeeds(speeds_);
        ports_->setCurrentIndex(r.COMSelected >= 1 && r.COMSelected <= kComPorts ? r.COMSelected - 1 : -1);
        speeds_->setCurrentIndex(r.COMSpeed >= 1 && r.COMSpeed <= speeds_->count() ? r.COMSpeed - 1 : -1);
        // The speed follows the device family; the operator does not choose it here.
        auto *form = qobject_cast<QFormLayout *>(speeds_->parentWidget()->layout());
        if (form)
            form->setRowVisible(speeds_, false);
        const int family = searchSpeedIndex(r.MODE);
        if (r.MODE == kModeSmall || family == kClassicSpeed) {
            speeds_->setCurrentIndex(family);
            testPort_.applyLineSettings(QLatin1String(kSpeeds[family].line));
        }
    }
    refreshDeviceList();
    showDevice();
    setStatus(QString());
}

void SetupDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (activated_)
        return;
    activated_ = true;
    // The window has the line to itself while it is open.
    station_.port().close();
    station_.SetupWindowOpen = true;
    answer_.clear();
}

void SetupDialog::done(int result)
{
    if (running_) {
        // A test or search is waiting: it stops at once and the window goes
        // away; the run itself ends (closing the test port) and closes for good.
        stopAsked_ = true;
        closeWith_ = result;
        if (pause_)
            pause_->quit();
        hide();
        return;
    }
    finish();
    QDialog::done(result);
}

void SetupDialog::closeIfAsked()
{
    if (!closeWith_)
        return;
    const int result = *closeWith_;
    closeWith_.reset();
    done(result);
}

void SetupDialog::finish()
{
    if (finished_)
        return;
    finished_ = true;
    testPort_.close();
    if (loaded_) {
        // Loading the settings left the main port's line at 38400; the next
        // sender must talk at the family's own speed.
        station_.port().applyComSpeed(isSmallFamily(station_.record()) ? 5 : 2);
    }
    station_.SetupWindowOpen = false;
}

QString SetupDialog::statusText() const { return status_->text(); }

void SetupDialog::setStatus(const QString &text)
{
    status_->setText(text);
    emit statusChanged(text);
}

void SetupDialog::setRunning(bool running)
{
    running_ = running;
    for (QWidget *w : std::initializer_list<QWidget *>{ok_, autoscan_, test_, ports_, speeds_, device_, devices_})
        w->setEnabled(!running);
    if (running)
        defaultDevice_->setEnabled(false);
    else
        showDevice();
}

void SetupDialog::wait(int ms)
{
    if (stopAsked_)
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(ms);
    pause_ = &loop;
    loop.exec();
    pause_ = nullptr;
}

void SetupDialog::PauseShort() { wait(kPauseShortMs); }

bool SetupDialog::HWTest()
{
    answer_.clear();
    if (!testPort_.write(commandFrame(1, "FM", " ")))
        return false;
    wait(kAnswerWaitMs);
    return answer_.startsWith("Alarm");
}

void SetupDialog::CommunicationTest()
{
    if (running_)
        return;
    const int n = selectedPort();
    if (const SearchSpeed *speed = speedOfText(speeds_->currentText()))
        testPort_.applyLineSettings(QLatin1String(speed->line));
    setRunning(true);
    setStatus(QStringLiteral("Scanning port COM %1").arg(n));
    station_.port().close();
    answer_.clear();

    std::optional<LinkFailure> failure = testPort_.openNumber(n);
    if (!failure) {
        // The status request, paced like every frame the main port writes.
        const QByteArray parts[] = {QByteArray(1, kLeadIn), QByteArrayLiteral("FM"), QByteArray(1, kSeparator),
            QByteArrayLiteral(" "), QByteArray(1, kTerminator)};
        for (size_t i = 0; i < std::size(parts) && !failure; ++i) {
            if (!testPort_.write(parts[i]))
                failure = LinkFailure{LinkFailure::Kind::LineLost, n, testPort_.openDevice(), {}};
            else if (i + 1 < std::size(parts))
                wait(kWritePauseMs);
        }
    }
    if (!failure)
        PauseShort();
    testPort_.close();
    setRunning(false);
    setStatus(QString());

    if (!stopAsked_) {
        if (failure && failure->kind == LinkFailure::Kind::PortMissing)
            showResult(QStringLiteral("notOK"), QStringLiteral("Selected COM port does not exist."));
        else if (failure) // it is there but cannot be used: say why
            showResult(QStringLiteral("notOK"), failure->message());
        else if (!answer_.isEmpty())
            showResult(QStringLiteral("OK"), QStringLiteral("Correct settings!"));
        else
            showResult(QStringLiteral("notOK"), QStringLiteral("Wrong COM port or wrong baud rate."));
    }
    answer_.clear();
    closeIfAsked();
}

void SetupDialog::PortSearch()
{
    if (running_)
        return;
    const int index = searchSpeedIndex(station_.record().MODE);
    const SearchSpeed &speed = kSpeeds[index];
    setRunning(true);
    station_.port().close();

    int found = 0;
    for (int n = 1; n <= kLastSearchedPort && !stopAsked_; ++n) {
        testPort_.close();
        if (!testPort_.exists(n)) {
            // Nothing to settle or wait for on a port that is not there.
            setStatus(QStringLiteral("Scanning port %1").arg(n));
            continue;
        }
        PauseShort();
        setStatus(QStringLiteral("Scanning port %1").arg(n));
        PauseShort();
        if (stopAsked_)
            break;
        testPort_.applyLineSettings(QLatin1String(speed.line));
        if (testPort_.openNumber(n)) {
            // Busy, forbidden or not a serial port: no transmitter answers there.
            PauseShort();
            continue;
        }
        setStatus(QStringLiteral("Scanning port %1 at %2 bps").arg(n).arg(QLatin1String(speed.text)));
        if (HWTest()) {
            found = n;
            break;
        }
        testPort_.close();
    }
    testPort_.close();

    if (found) {
        if (!stopAsked_) {
            tell(QStringLiteral("FM transmitter found on port %1 at Baudrate %2")
                     .arg(found)
                     .arg(QLatin1String(speed.text)));
        }
        storePort(found, index + 1);
    } else if (!stopAsked_) {
        // A failed search leaves the operator's port as it was.
        setStatus(QStringLiteral(" "));
        tell(QStringLiteral("Sorry, can't find FM transmitter on any of the ports."));
    }
    setRunning(false);
    closeIfAsked();
}

int SetupDialog::selectedPort() const { return ports_->currentIndex() + 1; }

void SetupDialog::portChanged(int index)
{
    if (index < 0)
        return;
    station_.record().COMSelected = static_cast<int16_t>(index + 1);
    station_.save();
    showDevice();
}

void SetupDialog::speedChanged(int index)
{
    const int code = comSpeedOfText(speeds_->itemText(index));
    if (code == 0)
        return;
    station_.record().COMSpeed = static_cast<int16_t>(code);
    station_.save();
}

void SetupDialog::storePort(int comNumber, int comSpeed)
{
    {
        const QSignalBlocker blockPorts(ports_);
        const QSignalBlocker blockSpeeds(speeds_);
        ports_->setCurrentIndex(comNumber - 1);
        speeds_->setCurrentIndex(comSpeed - 1);
    }
    SettingsRecord &r = station_.record();
    r.COMSelected = static_cast<int16_t>(comNumber);
    r.COMSpeed = static_cast<int16_t>(comSpeed);
    station_.save();
    showDevice();
}

void SetupDialog::refreshDeviceList()
{
    systemPorts_ = QSerialPortInfo::availablePorts();
    std::sort(systemPorts_.begin(), systemPorts_.end(),
        [](const QSerialPortInfo &a, const QSerialPortInfo &b) { return a.systemLocation() < b.systemLocation(); });
}

void SetupDialog::showDevice()
{
    const int n = selectedPort();
    const SettingsRecord &r = station_.record();
    const QString path = devicePath(r, n);
    const bool assigned = n >= 1 && n <= kComPorts && !r.COMDevice[n].trimmed().isEmpty();
    device_->setText(path);
    defaultDevice_->setEnabled(assigned && !running_);
    defaultDevice_->setToolTip(
        QStringLiteral("Use the standard device of COM %1 (%2)").arg(n).arg(defaultDevicePath(n)));

    const QSignalBlocker block(devices_);
    devices_->clear();
    int current = -1;
    for (const QSerialPortInfo &port : std::as_const(systemPorts_)) {
        if (port.systemLocation() == path || port.portName() == path)
            current = devices_->count();
        devices_->addItem(describePort(port), port.systemLocation());
    }
    if (current < 0 && !path.isEmpty()) {
        // A device the system does not list (unplugged, or a kind it does not
        // enumerate) stays shown for its number.
        current = devices_->count();
        devices_->addItem(testPort_.exists(n) ? path : path + QStringLiteral(" (not present)"), path);
    }
    devices_->setCurrentIndex(current);
}

void SetupDialog::assignDevice(const QString &path)
{
    const int n = selectedPort();
    if (n < 1 || n > kComPorts)
        return;
    QString chosen = path.trimmed();
    if (chosen == defaultDevicePath(n))
        chosen.clear(); // the standard device needs no assignment
    SettingsRecord &r = station_.record();
    if (r.COMDevice[n] != chosen) {
        r.COMDevice[n] = chosen;
        station_.save();
    }
    showDevice();
}

void SetupDialog::tell(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ZephyrineFM+"), text, QMessageBox::Ok, this);
    box.exec();
}

void SetupDialog::showResult(const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, this);
    box.setObjectName(caption == QLatin1String("OK") ? QStringLiteral("frmOK") : QStringLiteral("frmNotOK"));
    box.exec();
}

void SetupDialog::showHelp()
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ZephyrineFM+ Setup"), kHelpText, QMessageBox::Ok, this);
    box.exec();
}

} // namespace zfm
