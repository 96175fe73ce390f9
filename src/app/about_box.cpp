#include "app/about_box.h"

#include "app/project.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QVBoxLayout>

namespace zfm {

QPixmap stationPicture(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 64.0;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1d, 0x3b, 0x5a));
    p.drawRoundedRect(QRectF(2 * s, 2 * s, 60 * s, 60 * s), 12 * s, 12 * s);
    // The mast.
    QPen mast(QColor(0xf0, 0xf4, 0xf8), 3 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(mast);
    p.drawLine(QPointF(32 * s, 24 * s), QPointF(22 * s, 54 * s));
    p.drawLine(QPointF(32 * s, 24 * s), QPointF(42 * s, 54 * s));
    p.drawLine(QPointF(26 * s, 42 * s), QPointF(38 * s, 42 * s));
    // The waves.
    QPen wave(QColor(0x7c, 0xfc, 0x9a), 2.5 * s, Qt::SolidLine, Qt::RoundCap);
    p.setPen(wave);
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 3; ++i) {
        const qreal r = 6 * s * i;
        const QRectF box(32 * s - r, 20 * s - r, 2 * r, 2 * r);
        p.drawArc(box, 30 * 16, 120 * 16);
    }
    p.setBrush(QColor(0xff, 0xc8, 0x3c));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(32 * s, 22 * s), 3 * s, 3 * s);
    return pixmap;
}

AboutBox::AboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(QStringLiteral("About ZephyrineFM+"));
    auto *layout = new QVBoxLayout(this);
    auto *picture = new QLabel(this);
    picture->setPixmap(stationPicture(96));
    picture->setAlignment(Qt::AlignCenter);
    auto *name = new QLabel(QStringLiteral("<b>ZephyrineFM+ v%1</b><br>FM transmitter and RDS encoder control")
                                .arg(QLatin1String(kVersion)),
        this);
    name->setAlignment(Qt::AlignCenter);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("ProgressBar1"));
    bar_->setRange(0, 800);
    bar_->setTextVisible(false);
    layout->addWidget(picture);
    layout->addWidget(name);
    layout->addWidget(bar_);
    timer_.setInterval(30);
    connect(&timer_, &QTimer::timeout, this, &AboutBox::tick);
    setFixedSize(sizeHint().expandedTo(QSize(320, 0)));
}

void AboutBox::showEvent(QShowEvent *event)
{
    counter_ = 0;
    bar_->setValue(0);
    timer_.start();
    QDialog::showEvent(event);
}

void AboutBox::hideEvent(QHideEvent *event)
{
    timer_.stop();
    QDialog::hideEvent(event);
}

void AboutBox::tick()
{
    counter_ = static_cast<int16_t>(counter_ + 20);
    if (counter_ <= 800) {
        bar_->setValue(counter_);
        return;
    }
    counter_ = 0;
    timer_.stop();
    accept();
}

} // namespace zfm
