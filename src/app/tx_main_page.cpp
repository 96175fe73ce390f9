#include "app/tx_main_page.h"

#include "app/transmitter_controls.h"
#include "app/widgets.h"
#include "station/station.h"
#include "transmitter/frequency.h"
#include "transmitter/transmitter_tables.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace zfm {

QComboBox *transmitterCombo(Station &station, const TransmitterList &list, QWidget *parent)
{
    QComboBox *combo = ui::list(parent, list.objectName, list.labelList());
    showPosition(combo, station.record().*(list.field));
    const auto field = list.field;
    QObject::connect(combo, &QComboBox::activated, combo, [&station, field](int position) {
        station.record().*field = static_cast<int16_t>(position);
        station.save();
    });
    return combo;
}

void showPosition(QComboBox *combo, int position)
{
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(position >= 0 && position < combo->count() ? position : -1);
}

namespace {

} // namespace

TxMainPage::TxMainPage(Station &station, QWidget *parent) : QWidget(parent), station_(station)
{
    auto *grid = new QGridLayout(this);

    // Frequency with its step buttons and the "103" test.
    QGroupBox *freqFrame = ui::frame(this, QStringLiteral("Transmitter freq."));
    auto *freqLayout = new QHBoxLayout(freqFrame);
    frequency_ = new FrequencyStepper(freqFrame);
    connect(frequency_, &FrequencyStepper::stepped, this, &TxMainPage::step);
    auto *test103 = new QPushButton(QStringLiteral("103"), freqFrame);
    test103->setObjectName(QStringLiteral("cmdFreqTest"));
    test103->setToolTip(QStringLiteral("Tune the transmitter to 103.000 MHz now (nothing is stored)"));
    freqLayout->addWidget(frequency_, 1);
    freqLayout->addSpacing(8);
    freqLayout->addWidget(test103);
    connect(test103, &QPushButton::clicked, &station_, &Station::testFrequency);
    grid->addWidget(freqFrame, 0, 0, 1, 2);

    // Device family and stereo/mono.
    QGroupBox *familyFrame = ui::frame(this, QStringLiteral("FM Transmitter Type"));
    auto *familyLayout = new QVBoxLayout(familyFrame);
    small_ = ui::option(
        familyFrame, "optVesk", QStringLiteral("ZephyrineFM+ v1.1"), QStringLiteral("38400bps (LumidraxVesk)"));
    classic_ = ui::option(
        familyFrame, "optClassic", QStringLiteral("LumidraxFM+ v5.0"), QStringLiteral("9600bps (LumidraxFM V5)"));
    familyLayout->addWidget(small_);
    familyLayout->addWidget(classic_);
    connect(small_, &QRadioButton::clicked, this, [this] { station_.chooseFamily(kModeSmall); });
    connect(classic_, &QRadioButton::clicked, this, [this] { station_.chooseFamily(kModeClassic); });

    QGroupBox *stereoFrame = ui::frame(this, QStringLiteral("Stereo/mono"));
    auto *stereoLayout = new QVBoxLayout(stereoFrame);
    stereo_ = ui::option(stereoFrame, "optStereo", QStringLiteral("Stereo"), QStringLiteral("Stereo/mono selection"));
    mono_ = ui::option(stereoFrame, "optMono", QStringLiteral("Mono"), QStringLiteral("Stereo/mono selection"));
    stereoLayout->addWidget(stereo_);
    stereoLayout->addWidget(mono_);
    auto storeStereo = [this] {
        station_.record().TXStereo = stereo_->isChecked() ? 1 : 0;
        station_.save();
    };
    connect(stereo_, &QRadioButton::clicked, this, storeStereo);
    connect(mono_, &QRadioButton::clicked, this, storeStereo);

    auto *left = new QVBoxLayout;
    left->addWidget(familyFrame);
    left->addWidget(stereoFrame);

    // Audio lists.
    auto *audio = new QFormLayout;
    for (auto field : {&SettingsRecord::Pilot, &SettingsRecord::Preemphasis, &SettingsRecord::AudioInput}) {
        const TransmitterList &l = *transmitterList(field);
        ui::addRow(audio, QLatin1String(l.caption), transmitterCombo(station_, l, this));
    }
    left->addLayout(audio);
    QGroupBox *levelFrame = ui::frame(this, QStringLiteral("Audio input level"));
    auto *levelForm = new QFormLayout(levelFrame);
    for (auto field : {&SettingsRecord::InputGain, &SettingsRecord::InputMute}) {
        const TransmitterList &l = *transmitterList(field);
        ui::addRow(levelForm, QLatin1String(l.caption), transmitterCombo(station_, l, levelFrame));
    }
    left->addWidget(levelFrame);
    left->addStretch();
    grid->addLayout(left, 1, 0);

    QGroupBox *compFrame = ui::frame(this, QStringLiteral("Audio Compressor Settings"),
        QStringLiteral("Audio compressor settings, for DSP models only"));
    auto *compForm = new QFormLayout(compFrame);
    for (auto field : {&SettingsRecord::ComLim, &SettingsRecord::Attack, &SettingsRecord::Decay,
             &SettingsRecord::Integration, &SettingsRecord::Compression, &SettingsRecord::Threshold}) {
        const TransmitterList &l = *transmitterList(field);
        ui::addRow(compForm, QLatin1String(l.caption), transmitterCombo(station_, l, compFrame));
    }

    // Output power with the "32%" test.
    QGroupBox *powerFrame = ui::frame(this, QStringLiteral("Transmitter output power"));
    auto *powerLayout = new QGridLayout(powerFrame);
    power_ = ui::powerSlider(powerFrame, "sldPower");
    QWidget *scale = ui::powerScale(powerFrame);
    auto *test32 = new QPushButton(QStringLiteral("32%"), powerFrame);
    test32->setObjectName(QStringLiteral("cmdPowerTestP"));
    test32->setToolTip(QStringLiteral("Set the output power to 32 % now (nothing is stored)"));
    powerLayout->addWidget(power_, 0, 0);
    powerLayout->addWidget(scale, 1, 0);
    powerLayout->addWidget(test32, 0, 1, 2, 1, Qt::AlignVCenter);
    connect(power_, &QSlider::valueChanged, this, [this](int value) {
        station_.record().TXPower = static_cast<int16_t>(value);
        station_.save();
    });
    connect(test32, &QPushButton::clicked, &station_, &Station::testPower);

    auto *right = new QVBoxLayout;
    right->addWidget(compFrame);
    right->addWidget(powerFrame);
    right->addStretch();
    grid->addLayout(right, 1, 1);
    refresh();
}

void TxMainPage::step(int32_t kHz)
{
    SettingsRecord &r = station_.record();
    r.TXFrequency = stepFrequency(r.TXFrequency, kHz);
    frequency_->showFrequency(r.TXFrequency);
    station_.save();
}

void TxMainPage::refresh()
{
    const SettingsRecord &r = station_.record();
    frequency_->showFrequency(r.TXFrequency);
    {
        const QSignalBlocker block(power_);
        power_->setValue(r.TXPower);
    }
    stereo_->setChecked(r.TXStereo != 0);
    mono_->setChecked(r.TXStereo == 0);
    (r.MODE == kModeSmall ? small_ : classic_)->setChecked(true);
    for (const TransmitterList &l : transmitterLists()) {
        if (auto *combo = findChild<QComboBox *>(QLatin1String(l.objectName)))
            showPosition(combo, r.*(l.field));
    }
}

} // namespace zfm
