#include "app/alarms_page.h"

#include "app/tx_main_page.h"
#include "app/widgets.h"
#include "link/status_reply.h"
#include "station/station.h"
#include "transmitter/transmitter_tables.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace zfm {

namespace {

struct BoxSpec {
    const char *name;
    const char *caption;
    const char *initial;
};
// The report's boxes with their first contents.
constexpr BoxSpec kBoxes[] = {
    {"txtTXModel", "TX Model:", "000"},
    {"txtOutputPower", "Output power:", "0.0W"},
    {"txtReflectedPower", "Reflected power:", "0.0W"},
    {"txtExcTemperature", "Exc. temperature:", "18C"},
    {"txtAmpTemperature", "Amp. temperature:", "18C"},
    {"txtAmpVoltage", "Amplifier voltage:", "0.0V"},
    {"txtAmpCurrent", "Amplifier current:", "0.0A"},
    {"txtExcCurrent", "Exciter current:", "0.0A"},
    {"txtExcVoltage", "Exciter voltage:", "0.0V"},
    {"txtUptime", "Uptime (D/H/M):", "0000D:00H:00M"},
    {"txtUnitFrequency", "Unit frequency:", "100.000MHz"},
};

// Object names of the lamps, in the order of the transmitter's alarm bits.
constexpr const char *kLampNames[]
    = {"lblTAmpAlarm", "lblSwrAlarm", "lblTExcAlarm", "lblIAmpAlarm", "lblUAmpAlarm", "lblRemoteStandby"};
static_assert(std::size(kLampNames) == kAlarmLamps.size());

QColor rgb(const std::array<int, 3> &c) { return QColor(c[0], c[1], c[2]); }

} // namespace

AlarmsPage::AlarmsPage(Station &station, QWidget *parent) : QWidget(parent), station_(station)
{
    auto *outer = new QVBoxLayout(this);
    QGroupBox *frame = ui::frame(this, QStringLiteral("FM transmitter alarms and status"));
    outer->addWidget(frame);
    auto *grid = new QGridLayout(frame);

    auto *thresholds = new QFormLayout;
    for (auto field : {&SettingsRecord::TEMPAlarm, &SettingsRecord::SWRAlarm, &SettingsRecord::UampAlarm,
             &SettingsRecord::IampAlarm}) {
        const TransmitterList &l = *transmitterList(field);
        ui::addRow(thresholds, QLatin1String(l.caption), transmitterCombo(station_, l, frame));
    }
    grid->addLayout(thresholds, 0, 0);

    auto *buttons = new QVBoxLayout;
    autoRead_ = new QCheckBox(QStringLiteral("Auto read TX"), frame);
    autoRead_->setObjectName(QStringLiteral("chkAutoRead"));
    autoRead_->setToolTip(QStringLiteral("Ask the transmitter for its status every second"));
    readTx_ = new QPushButton(QStringLiteral("Read TX"), frame);
    readTx_->setObjectName(QStringLiteral("cmdReadTX"));
    readTx_->setToolTip(QStringLiteral("Ask the transmitter for its status once"));
    buttons->addWidget(autoRead_);
    buttons->addWidget(readTx_);
    buttons->addStretch();
    grid->addLayout(buttons, 1, 0);
    connect(autoRead_, &QCheckBox::clicked, &station_, &Station::setAutoRead);
    connect(readTx_, &QPushButton::clicked, this, &AlarmsPage::readTxClicked);

    QGroupBox *status = ui::frame(frame, QStringLiteral("Transmitter status"));
    auto *statusGrid = new QGridLayout(status);
    auto *boxes = new QFormLayout;
    for (const BoxSpec &b : kBoxes)
        ui::addRow(boxes, QLatin1String(b.caption), ui::valueBox(status, b.name, QLatin1String(b.initial)));
    statusGrid->addLayout(boxes, 0, 0, 2, 1);

    auto *lampColumn = new QVBoxLayout;
    for (size_t i = 0; i < lamps_.size(); ++i) {
        const std::string_view caption = kAlarmLamps[i].caption;
        auto *lamp = new QLabel(QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size())), status);
        lamp->setObjectName(QLatin1String(kLampNames[i]));
        lamp->setAlignment(Qt::AlignCenter);
        lamp->setFrameShape(QFrame::Box);
        lamp->setAutoFillBackground(true);
        lamp->setMinimumWidth(lamp->fontMetrics().horizontalAdvance(QStringLiteral("REMOTE standby")) + 16);
        lamps_[i] = lamp;
        lampColumn->addWidget(lamp);
        setLamp(static_cast<int>(i), false);
    }
    lampColumn->addStretch();
    statusGrid->addLayout(lampColumn, 0, 1);

    auto *audioColumn = new QVBoxLayout;
    auto *audioLabel = new QLabel(QStringLiteral("Audio:"), status);
    audio_ = new QProgressBar(status);
    audio_->setObjectName(QStringLiteral("prgAudio"));
    audio_->setOrientation(Qt::Vertical);
    audio_->setRange(0, 100);
    audio_->setValue(0);
    audio_->setTextVisible(false);
    audio_->setAccessibleName(QStringLiteral("Audio:"));
    audioLabel->setBuddy(audio_);
    audioColumn->addWidget(audioLabel, 0, Qt::AlignHCenter);
    audioColumn->addWidget(audio_, 1, Qt::AlignHCenter);
    statusGrid->addLayout(audioColumn, 0, 2, 2, 1);
    grid->addWidget(status, 0, 1, 2, 1);
    refresh();
}

void AlarmsPage::refresh()
{
    const SettingsRecord &r = station_.record();
    {
        const QSignalBlocker block(autoRead_);
        autoRead_->setChecked(r.AutoRead);
    }
    for (auto field : {&SettingsRecord::TEMPAlarm, &SettingsRecord::SWRAlarm, &SettingsRecord::UampAlarm,
             &SettingsRecord::IampAlarm}) {
        const TransmitterList &l = *transmitterList(field);
        if (auto *combo = findChild<QComboBox *>(QLatin1String(l.objectName)))
            showPosition(combo, r.*field);
    }
}

void AlarmsPage::setLamp(int index, bool on)
{
    QLabel *lamp = lamps_.at(index);
    QPalette p = lamp->palette();
    p.setColor(QPalette::Window, rgb(on ? kLampOnRgb : kLampOffRgb));
    p.setColor(QPalette::WindowText, on ? Qt::white : Qt::black);
    lamp->setPalette(p);
    lamp->setProperty("on", on);
}

bool AlarmsPage::lampOn(int index) const { return lamps_.at(index)->property("on").toBool(); }

void AlarmsPage::setAudioLevel(int level)
{
    audio_->setValue(level);
    audio_->setToolTip(QString::number(level) + QLatin1Char('%'));
}

int AlarmsPage::audioLevel() const { return audio_->value(); }

void AlarmsPage::showStatus(const StatusReply &reply)
{
    // Shown as received: the transmitter's own units and forms.
    const std::pair<const char *, const QString *> boxes[] = {
        {"txtTXModel", &reply.txModel},
        {"txtOutputPower", &reply.outputPower},
        {"txtReflectedPower", &reply.reflectedPower},
        {"txtExcTemperature", &reply.exciterTemperature},
        {"txtAmpTemperature", &reply.amplifierTemperature},
        {"txtAmpVoltage", &reply.amplifierVoltage},
        {"txtAmpCurrent", &reply.amplifierCurrent},
        {"txtExcCurrent", &reply.exciterCurrent},
        {"txtExcVoltage", &reply.exciterVoltage},
        {"txtUptime", &reply.uptime},
        {"txtUnitFrequency", &reply.unitFrequency},
    };
    for (const auto &[name, value] : boxes)
        box(name)->setText(*value);
    if (reply.alarmLamps) {
        for (size_t i = 0; i < lamps_.size(); ++i)
            setLamp(static_cast<int>(i), (*reply.alarmLamps)[i]);
    }
    if (reply.audioLevel)
        setAudioLevel(*reply.audioLevel);
}

QLabel *AlarmsPage::box(const char *objectName) const { return findChild<QLabel *>(QLatin1String(objectName)); }

} // namespace zfm
