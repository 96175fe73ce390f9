#include "app/side_panel.h"

#include "app/tx_main_page.h"
#include "app/widgets.h"
#include "station/station.h"
#include "transmitter/transmitter_tables.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

namespace zfm {

SidePanel::SidePanel(Station &station, QWidget *parent) : QWidget(parent), station_(station)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    readRds_ = ui::captioned<QPushButton>(
        this, "cmdReadRDS", QStringLiteral("Read RDS settings"), QStringLiteral("Read RDS settings from transmitter"));
    settingsAtStart_ = ui::captioned<QCheckBox>(this, "chkSettingsAtStart", QStringLiteral("Send settings at Start"),
        QStringLiteral("Send all settings to the transmitter when the program starts"));
    shutDown_ = ui::captioned<QCheckBox>(this, "chkShutDown", QStringLiteral("Shut down TX at exit"),
        QStringLiteral("Switch the transmitter's output power off when the program ends"));
    sendRtAndPs_ = ui::captioned<QPushButton>(this, "cmdSendRTPS", QStringLiteral("Send RT and PS"),
        QStringLiteral("Send RT and PS settings to transmitter"));
    sendSettings_ = ui::captioned<QPushButton>(
        this, "cmdSendSettings", QStringLiteral("Send settings"), QStringLiteral("Send TX settings to transmitter"));
    trayAtStart_ = ui::captioned<QCheckBox>(this, "chkTrayAtStart", QStringLiteral("To tray at start"),
        QStringLiteral("Start hidden behind the tray icon"));
    moveToTray_ = ui::captioned<QPushButton>(
        this, "cmdMoveToTray", QStringLiteral("Move To Tray"), QStringLiteral("Hide the window behind the tray icon"));
    for (QWidget *w : std::initializer_list<QWidget *>{
             readRds_, settingsAtStart_, shutDown_, sendRtAndPs_, sendSettings_, trayAtStart_, moveToTray_})
        column->addWidget(w);

    QGroupBox *previewFrame = ui::frame(this, QStringLiteral("Preview"));
    auto *previewLayout = new QVBoxLayout(previewFrame);
    auto *modes = new QHBoxLayout;
    previewRt_ = ui::option(previewFrame, "optPreviewRT", QStringLiteral("RT"), QStringLiteral("Scroll the RadioText"));
    previewPs_ = ui::option(previewFrame, "optPreviewPS", QStringLiteral("PS"), QStringLiteral("Rotate the PS texts"));
    previewRt_->setAccessibleName(QStringLiteral("Preview RT"));
    previewPs_->setAccessibleName(QStringLiteral("Preview PS"));
    previewPs_->setChecked(true);
    modes->addWidget(previewRt_);
    modes->addWidget(previewPs_);
    previewLayout->addLayout(modes);
    preview_ = new QLabel(QString(8, QLatin1Char(' ')), previewFrame);
    preview_->setObjectName(QStringLiteral("lblPreview"));
    preview_->setAccessibleName(QStringLiteral("Preview"));
    QFont display = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    display.setPointSizeF(display.pointSizeF() * 1.5);
    display.setBold(true);
    preview_->setFont(display);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setStyleSheet(QStringLiteral("QLabel { background: #102418; color: #7CFC9A; padding: 4px; }"));
    preview_->setMinimumWidth(QFontMetrics(display).horizontalAdvance(QStringLiteral("WWWWWWWW")) + 12);
    previewLayout->addWidget(preview_);
    column->addWidget(previewFrame);

    auto *mpxLabel = new QLabel(QStringLiteral("Mod deviation:"), this);
    QComboBox *mpx = transmitterCombo(station_, *transmitterList(&SettingsRecord::MPXdev), this);
    mpxLabel->setBuddy(mpx);
    mpx->setAccessibleName(QStringLiteral("Mod deviation:"));
    column->addWidget(mpxLabel);
    column->addWidget(mpx);
    column->addStretch();

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, 21);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setAccessibleName(QStringLiteral("Progress"));
    column->addWidget(progress_);

    connect(settingsAtStart_, &QCheckBox::clicked, this, [this](bool on) {
        station_.record().SettingsAtStart = on;
        station_.save();
    });
    connect(shutDown_, &QCheckBox::clicked, this, [this](bool on) {
        station_.record().ShutDown = on;
        station_.save();
    });
    connect(trayAtStart_, &QCheckBox::clicked, this, [this](bool on) {
        station_.record().TrayAtStart = on;
        station_.save();
    });
    refresh();
}

bool SidePanel::previewScrollsRadioText() const { return previewRt_->isChecked(); }

void SidePanel::showPreview(const QString &text) { preview_->setText(text); }

void SidePanel::setProgress(double value)
{
    progressValue_ = value;
    progress_->setValue(static_cast<int>(std::lround(value)));
}

void SidePanel::refresh()
{
    const SettingsRecord &r = station_.record();
    for (auto [box, on] : {std::pair{settingsAtStart_, r.SettingsAtStart}, std::pair{shutDown_, r.ShutDown},
             std::pair{trayAtStart_, r.TrayAtStart}}) {
        const QSignalBlocker block(box);
        box->setChecked(on);
    }
    if (auto *mpx = findChild<QComboBox *>(QStringLiteral("cmbMPXdev")))
        showPosition(mpx, r.MPXdev);
}

} // namespace zfm
