#include "app/transmitter_controls.h"

#include "app/widgets.h"
#include "transmitter/frequency.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace zfm {

namespace {

QPushButton *stepButton(QWidget *parent, const char *name, const QString &caption, const QString &toolTip)
{
    auto *b = ui::captioned<QPushButton>(parent, name, caption, toolTip);
    b->setAccessibleName(toolTip);
    b->setAutoRepeat(true);
    b->setAutoDefault(false);
    b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("▲▲")) + 16);
    return b;
}

} // namespace

FrequencyStepper::FrequencyStepper(QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    display_ = new QLabel(this);
    display_->setObjectName(QStringLiteral("lblFrequency"));
    display_->setToolTip(QStringLiteral("FM transmitter frequency"));
    display_->setAccessibleName(QStringLiteral("Transmitter frequency"));
    QFont big = display_->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    display_->setFont(big);
    display_->setAlignment(Qt::AlignCenter);
    display_->setMinimumWidth(QFontMetrics(big).horizontalAdvance(QStringLiteral("108.000MHz")) + 12);
    struct Button {
        const char *name, *caption, *toolTip;
        int32_t step;
    };
    const Button left[]
        = {{"cmdDown1MHz", "▼▼", "Down 1MHz", kStepDown1MHz}, {"cmdDown50KHz", "▼", "Down 50KHz", kStepDown50kHz}};
    const Button right[]
        = {{"cmdUp50KHz", "▲", "Up 50KHz", kStepUp50kHz}, {"cmdUp1MHz", "▲▲", "Up 1 MHz", kStepUp1MHz}};
    auto add = [this, row](const Button &b) {
        QPushButton *button = stepButton(this, b.name, QString::fromUtf8(b.caption), QString::fromLatin1(b.toolTip));
        connect(button, &QPushButton::clicked, this, [this, step = b.step] { emit stepped(step); });
        row->addWidget(button);
    };
    for (const Button &b : left)
        add(b);
    row->addWidget(display_, 1);
    for (const Button &b : right)
        add(b);
}

void FrequencyStepper::showFrequency(int32_t kHz) { display_->setText(frequencyText(kHz)); }

QString FrequencyStepper::text() const { return display_->text(); }

QSlider *ui::powerSlider(QWidget *parent, const char *objectName)
{
    auto *slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QLatin1String(objectName));
    slider->setRange(0, 100);
    slider->setPageStep(10);
    slider->setToolTip(QStringLiteral("Output power"));
    slider->setAccessibleName(QStringLiteral("Output power"));
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(10);
    return slider;
}

QWidget *ui::powerScale(QWidget *parent)
{
    auto *scale = new QWidget(parent);
    scale->setObjectName(QStringLiteral("lblPowerScale"));
    scale->setAccessibleName(QStringLiteral("OFF              50%              100%"));
    auto *row = new QHBoxLayout(scale);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("OFF"), scale));
    row->addStretch();
    row->addWidget(new QLabel(QStringLiteral("50%"), scale));
    row->addStretch();
    row->addWidget(new QLabel(QStringLiteral("100%"), scale));
    return scale;
}

} // namespace zfm
