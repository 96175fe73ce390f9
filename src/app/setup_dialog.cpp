#include "app/setup_dialog.h"

#include "app/widgets.h"
#include "link/port_map.h"
#include "settings/line_speed.h"
#include "station/station.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace zfm {

namespace {

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

SetupDialog::SetupDialog(Station &station, QWidget *parent) : QDialog(parent), station_(station)
{
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("ZephyrineFM+ Setup"));
    build();
    PortProbe &probe = station_.portProbe();
    connect(&probe, &PortProbe::statusChanged, this, &SetupDialog::setStatus);
    connect(&probe, &PortProbe::finished, this, &SetupDialog::probeFinished);
    // Exit takes the line back while the window is open.
    connect(&station_, &Station::setupEnded, this, [this] {
        if (!finished_)
            done(QDialog::Rejected);
    });
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
    for (const LineSpeed &s : kLineSpeeds)
        speeds_->addItem(QLatin1String(s.text));
    speeds_->setToolTip(QStringLiteral("COM port speed, set jumpers correctly to match this value!"));
    ui::addRow(form, QStringLiteral("Baud rate:"), speeds_);
    // The speed follows the device family; the operator does not choose it here.
    form->setRowVisible(speeds_, false);

    reconnect_ = ui::captioned<QCheckBox>(frame, "chkAutoReconnect",
        QStringLiteral("Reconnect automatically when the port is lost"),
        QStringLiteral("When the port goes away (an adapter unplugged, the transmitter switched off) the automatic "
                       "work pauses and the port is tried again until it is back"));
    form->addRow(reconnect_);
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
    connect(autoscan_, &QPushButton::clicked, this, &SetupDialog::searchPorts);
    connect(test_, &QPushButton::clicked, this, &SetupDialog::testPort);
    connect(help_, &QPushButton::clicked, this, [this] { showBox(QStringLiteral("ZephyrineFM+ Setup"), kHelpText); });
    connect(ports_, &QComboBox::currentIndexChanged, this, &SetupDialog::portChanged);
    connect(speeds_, &QComboBox::currentIndexChanged, this, &SetupDialog::speedChanged);
    connect(device_, &QLineEdit::editingFinished, this, [this] { assignDevice(device_->text()); });
    connect(devices_, &QComboBox::activated, this,
        [this](int index) { assignDevice(devices_->itemData(index).toString()); });
    connect(defaultDevice_, &QPushButton::clicked, this, [this] { assignDevice(QString()); });
    connect(reconnect_, &QCheckBox::toggled, this, [this](bool ticked) { station_.setAutoReconnect(ticked); });
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
    // Shown once the line is the window's: a running upload is let finish first.
    auto shown = std::make_shared<QMetaObject::Connection>();
    *shown = connect(&station, &Station::setupReady, dialog, [dialog, shown] {
        QObject::disconnect(*shown);
        dialog->load();
        dialog->setModal(true);
        dialog->show();
    });
    station.openSetup();
}

void SetupDialog::load()
{
    station_.reloadSettings();
    const SettingsRecord &r = station_.record();
    {
        const QSignalBlocker blockPorts(ports_);
        const QSignalBlocker blockSpeeds(speeds_);
        ports_->setCurrentIndex(r.COMSelected >= 1 && r.COMSelected <= kComPorts ? r.COMSelected - 1 : -1);
        speeds_->setCurrentIndex(r.COMSpeed >= 1 && r.COMSpeed <= speeds_->count() ? r.COMSpeed - 1 : -1);
        // The test talks at the family's speed.
        if (r.MODE == kModeSmall || r.MODE == kModeClassic || r.MODE == kModeClassicAlias)
            speeds_->setCurrentText(QLatin1String(searchLineSpeed(r.MODE).text));
    }
    {
        const QSignalBlocker block(reconnect_);
        reconnect_->setChecked(r.AutoReconnect);
    }
    refreshDeviceList();
    showDevice();
    setStatus(QString());
}

void SetupDialog::done(int result)
{
    if (running_) {
        // A test or search is under way: the window goes away at once, the
        // probe stops at its next step and the window then closes for good.
        closeWith_ = result;
        station_.portProbe().stop();
        hide();
        return;
    }
    finish();
    QDialog::done(result);
}

void SetupDialog::finish()
{
    if (finished_)
        return;
    finished_ = true;
    station_.closeSetup();
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

void SetupDialog::testPort()
{
    if (running_)
        return;
    setRunning(true);
    station_.portProbe().testPort(selectedPort(), speeds_->currentText());
}

void SetupDialog::searchPorts()
{
    if (running_)
        return;
    setRunning(true);
    station_.portProbe().search(station_.record().MODE);
}

void SetupDialog::probeFinished(const PortProbe::Result &result)
{
    setRunning(false);
    if (closeWith_) {
        const int close = *closeWith_;
        closeWith_.reset();
        done(close);
        return;
    }
    using Kind = PortProbe::Result::Kind;
    if (result.kind == Kind::Found)
        storePort(result.comNumber, result.comSpeed);
    // A failed search leaves the operator's port as it was.
    if (result.kind == Kind::Stopped)
        return;
    if (result.caption.isEmpty())
        showBox(QStringLiteral("ZephyrineFM+"), result.text);
    else
        showBox(result.caption, result.text, result.kind == Kind::Answered ? "frmOK" : "frmNotOK");
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
    const LineSpeed *speed = lineSpeedOfText(speeds_->itemText(index));
    if (!speed)
        return;
    station_.record().COMSpeed = speed->comSpeed;
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
    // An adapter's by-id path names it whatever number it is given when it
    // is plugged in again, so those come first and are what gets assigned.
    for (const bool stable : {true, false}) {
        for (const QSerialPortInfo &port : std::as_const(systemPorts_)) {
            const QString byId = stableDevicePath(port.systemLocation());
            if (stable == byId.isEmpty())
                continue;
            const QString location = stable ? byId : port.systemLocation();
            if (location == path || port.systemLocation() == path || port.portName() == path)
                current = devices_->count();
            const QString text = describePort(port);
            devices_->addItem(stable ? byId + QStringLiteral(" (") + port.portName() + QStringLiteral(")")
                        + text.mid(port.systemLocation().size())
                                     : text,
                location);
        }
    }
    if (current < 0 && !path.isEmpty()) {
        // A device the system does not list (unplugged, or a kind it does not
        // enumerate) stays shown for its number.
        current = devices_->count();
        devices_->addItem(deviceExists(path) ? path : path + QStringLiteral(" (not present)"), path);
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

void SetupDialog::showBox(const QString &caption, const QString &text, const char *objectName)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, this);
    if (objectName)
        box->setObjectName(QLatin1String(objectName));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

} // namespace zfm
