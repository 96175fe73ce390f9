#include "app/scheme_editor_dialog.h"

#include "app/transmitter_controls.h"
#include "app/widgets.h"
#include "station/station.h"
#include "transmitter/frequency.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace zfm {

namespace {

constexpr const char *kDayNames[kWeekdays]
    = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

} // namespace

SchemeEditorDialog::SchemeEditorDialog(Station &station, SchemeEditor editor, QWidget *parent)
    : QDialog(parent), station_(station), editor_(editor)
{
    setObjectName(QStringLiteral("frmAdd"));
    setWindowTitle(editor_.windowCaption());
    setModal(true);
    auto *outer = new QVBoxLayout(this);

    QGroupBox *parameters = ui::frame(this, QStringLiteral("Parameters"));
    auto *column = new QVBoxLayout(parameters);

    // Frequency with its four steps, as on the main page.
    QGroupBox *freqFrame = ui::frame(parameters, QStringLiteral("Transmitter freq."));
    auto *freqRow = new QHBoxLayout(freqFrame);
    frequency_ = new FrequencyStepper(freqFrame);
    freqRow->addWidget(frequency_);
    connect(frequency_, &FrequencyStepper::stepped, this, &SchemeEditorDialog::step);
    column->addWidget(freqFrame);

    // Output power: the slider, its scale, and the value it stands at.
    QGroupBox *powerFrame = ui::frame(parameters, QStringLiteral("Transmitter output power"));
    auto *powerGrid = new QGridLayout(powerFrame);
    power_ = ui::powerSlider(powerFrame, "Slider1");
    QWidget *scale = ui::powerScale(powerFrame);
    auto *powerValue = new QLabel(powerFrame);
    powerValue->setObjectName(QStringLiteral("lblPowerValue"));
    powerValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    powerValue->setMinimumWidth(powerValue->fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 4);
    powerGrid->addWidget(power_, 0, 0);
    powerGrid->addWidget(powerValue, 0, 1);
    powerGrid->addWidget(scale, 1, 0);
    column->addWidget(powerFrame);

    // Repetition: daily, or the ticked weekdays.
    QGroupBox *modeFrame = ui::frame(parameters, QStringLiteral("Repetition mode"));
    auto *modeGrid = new QGridLayout(modeFrame);
    daily_ = ui::option(modeFrame, "optMode0", QStringLiteral("Daily"));
    weekly_ = ui::option(modeFrame, "optMode1", QStringLiteral("Weekly"));
    modeGrid->addWidget(daily_, 0, 0);
    modeGrid->addWidget(weekly_, 0, 1);
    for (int d = 0; d < kWeekdays; ++d) {
        auto *box = new QCheckBox(QLatin1String(kDayNames[d]), modeFrame);
        box->setObjectName(QStringLiteral("chkDay%1").arg(d));
        // The frame keeps its size when the days are hidden.
        QSizePolicy policy = box->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        box->setSizePolicy(policy);
        modeGrid->addWidget(box, 1 + d / 4, d % 4);
        days_[d] = box;
    }
    column->addWidget(modeFrame);

    auto *timeRow = new QHBoxLayout;
    time_ = new QTimeEdit(parameters);
    time_->setObjectName(QStringLiteral("DTTimeStart"));
    time_->setDisplayFormat(QStringLiteral("HH:mm"));
    time_->setAccessibleName(QStringLiteral("Switching time:"));
    auto *timeLabel = new QLabel(QStringLiteral("Switching time:"), parameters);
    timeLabel->setBuddy(time_);
    timeRow->addWidget(timeLabel);
    timeRow->addWidget(time_);
    timeRow->addStretch();
    column->addLayout(timeRow);
    outer->addWidget(parameters);

    auto *buttons = new QHBoxLayout;
    confirm_ = new QPushButton(editor_.confirmCaption(), this);
    confirm_->setObjectName(QStringLiteral("cmdAdd"));
    close_ = new QPushButton(editor_.closeCaption(), this);
    close_->setObjectName(QStringLiteral("cmdOK"));
    close_->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(confirm_);
    buttons->addWidget(close_);
    outer->addLayout(buttons);

    // Show the editor's values before listening to the controls.
    frequency_->showFrequency(editor_.frequencyKHz());
    power_->setValue(editor_.power());
    powerValue->setText(QStringLiteral("%1%").arg(editor_.power()));
    (editor_.daily() ? daily_ : weekly_)->setChecked(true);
    for (int d = 0; d < kWeekdays; ++d)
        days_[d]->setChecked(editor_.day(d));
    time_->setTime(QTime(editor_.hour(), editor_.minute()));
    showMode();

    connect(power_, &QSlider::valueChanged, this, [this, powerValue](int value) {
        editor_.setPower(value);
        powerValue->setText(QStringLiteral("%1%").arg(value));
    });
    connect(daily_, &QRadioButton::toggled, this, [this](bool on) {
        editor_.setDaily(on);
        showMode();
    });
    for (int d = 0; d < kWeekdays; ++d)
        connect(days_[d], &QCheckBox::toggled, this, [this, d](bool on) { editor_.setDay(d, on); });
    connect(time_, &QTimeEdit::timeChanged, this, [this](QTime t) { editor_.setTime(t.hour(), t.minute()); });
    connect(confirm_, &QPushButton::clicked, this, &SchemeEditorDialog::confirm);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(sizeHint());
}

void SchemeEditorDialog::step(int32_t kHz)
{
    editor_.stepFrequency(kHz);
    frequency_->showFrequency(editor_.frequencyKHz());
}

void SchemeEditorDialog::showMode()
{
    for (QCheckBox *box : days_)
        box->setVisible(editor_.dayBoxesVisible());
}

void SchemeEditorDialog::confirm()
{
    const ConfirmOutcome outcome = editor_.confirm();
    if (!outcome.message.isEmpty())
        station_.tell(outcome.message);
    if (outcome.listChanged)
        emit schemesChanged();
    if (outcome.closeEditor)
        accept();
}

void SchemeEditorDialog::done(int result)
{
    // "Close", "Cancel", Escape and the window's close box all end edit mode.
    editor_.close();
    QDialog::done(result);
}

} // namespace zfm
