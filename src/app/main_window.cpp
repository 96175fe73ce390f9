#include "app/main_window.h"

#include "app/about_box.h"
#include "app/about_page.h"
#include "app/alarms_page.h"
#include "app/auto_ps_page.h"
#include "app/rds_page.h"
#include "app/schedule_driver.h"
#include "app/scheduler_page.h"
#include "app/setup_dialog.h"
#include "app/side_panel.h"
#include "app/station.h"
#include "app/stored_values.h"
#include "app/tx_main_page.h"
#include "autoupdate/winamp_link.h"
#include "link/clock.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QUrl>

namespace zfm {

namespace {

struct TabSpec {
    const char *caption;
    const char *toolTip;
    int helpContext;
};
// The tab strip in order, with the help topic of each page.
constexpr TabSpec kTabs[] = {
    {"FM T&X main", "FM transmitter general settings", 20},
    {"FM TX &alarms", "FM transmitter alarms", 40},
    {"PI, PT&Y...", nullptr, 60},
    {"AUTO &PS, RT", "Automatic PS update", 160},
    {"A&bout", nullptr, 180},
    {"Scheduler", nullptr, 300},
};

} // namespace

MainWindow::MainWindow(QWidget *parent) : MainWindow(Options{}, parent) { }

MainWindow::MainWindow(const Options &options, QWidget *parent) : QMainWindow(parent), options_(options)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("ZephyrineFM+"));
    setWindowIcon(QIcon(stationPicture(64)));
    if (!options_.store) {
        ownStore_ = std::make_unique<PlatformStore>();
        options_.store = ownStore_.get();
    }
    if (!options_.clock) {
        ownClock_ = std::make_unique<SystemClock>();
        options_.clock = ownClock_.get();
    }
    station_ = std::make_unique<Station>(*options_.store, *options_.clock);
    startUp();
}

MainWindow::~MainWindow()
{
    if (tray_)
        tray_->hide();
    // Dialogs and pages talk to the station as they close; they go before it does.
    qDeleteAll(findChildren<QDialog *>(Qt::FindDirectChildrenOnly));
    delete takeCentralWidget();
}

QString MainWindow::helpFilePath() { return QCoreApplication::applicationDirPath() + QStringLiteral("/Lumidrax5.chm"); }

QString MainWindow::statusText() const { return status_->text(); }

double MainWindow::progressValue() const { return side_->progressValue(); }

void MainWindow::startUp()
{
    SettingsRecord &r = station_->record();
    r.MaxSchemeIndex = 20;
    // The player window is looked up once; only its handle is kept.
    winAmp_ = std::make_unique<clsWinAMP>(r.WinAmpVersion);
    if (!winAmp_->GotWnd())
        winAmp_->GetWinAMPWnd();

    if (options_.splash) {
        AboutBox splash(this);
        splash.exec();
    }

    const QStringList unreadable = station_->settings().LoadAllSettings();
    const QStringList repaired = repairStoredValues(r);
    station_->autoUpdate().restore();
    winAmp_ = std::make_unique<clsWinAMP>(r.WinAmpVersion);

    buildPages();
    buildMenus();
    bindStation();
    // A fixed window, as large as its pages need with this platform's fonts.
    setFixedSize(sizeHint());

    // The family option: the classic family also sets its line speed (stored).
    if (r.MODE != kModeSmall)
        station_->applyFamily(kModeClassic);
    // A restored "Auto read TX" keeps "Read TX" disabled, as ticking it does.
    station_->setReadTxEnabled(!r.AutoRead);
    refreshPages();
    if (!unreadable.isEmpty() || !repaired.isEmpty())
        station_->save();

    station_->startTimers();
    previewTimer_.setInterval(1000);
    connect(&previewTimer_, &QTimer::timeout, this, &MainWindow::PreviewTick);
    previewTimer_.start();
    scheduleDriver_ = std::make_unique<ScheduleDriver>(*station_);

    if (r.TrayAtStart)
        QTimer::singleShot(0, this, &MainWindow::moveToTray);
    openPortAtStart();
}

void MainWindow::openPortAtStart()
{
    // The port opens at the family's own speed; a missing one is reported
    // once, switches the automatic work off and skips "Send settings at Start".
    WireScript open;
    open.pause(kWritePauseMs).open();
    station_->runner().start(open, [this](LinkRunner::Outcome outcome) {
        if (outcome != LinkRunner::Outcome::Completed)
            return;
        startedUp_ = true;
        if (station_->record().SettingsAtStart)
            station_->SendSettings(Attended::No);
    });
}

void MainWindow::buildPages()
{
    auto *central = new QWidget(this);
    auto *row = new QHBoxLayout(central);
    tabs_ = new QTabWidget(central);
    tabs_->setObjectName(QStringLiteral("SSTab1"));
    txMain_ = new TxMainPage(*station_, tabs_);
    alarms_ = new AlarmsPage(*station_, tabs_);
    rds_ = new RdsPage(*station_, tabs_);
    autoPs_ = new AutoPsPage(*station_, tabs_);
    about_ = new AboutPage(tabs_);
    QWidget *pages[] = {txMain_, alarms_, rds_, autoPs_, about_};
    for (int i = 0; i < 5; ++i) {
        tabs_->addTab(pages[i], QLatin1String(kTabs[i].caption));
        if (kTabs[i].toolTip)
            tabs_->setTabToolTip(i, QLatin1String(kTabs[i].toolTip));
    }
    // The scheduler's tab is added last, once the others are in place.
    auto *scheduler = new SchedulerPage(*station_, tabs_);
    tabs_->addTab(scheduler, QLatin1String(kTabs[5].caption));
    connect(tabs_, &QTabWidget::currentChanged, this, &MainWindow::TabSelected);
    row->addWidget(tabs_, 1);

    side_ = new SidePanel(*station_, central);
    row->addWidget(side_);
    setCentralWidget(central);

    status_ = new QLabel(QStringLiteral("Ready"), this);
    status_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(status_, 1);
    statusBar()->setSizeGripEnabled(false);

    connect(side_->sendSettings(), &QPushButton::clicked, this, [this] { station_->SendSettings(Attended::Yes); });
    connect(side_->sendRtAndPs(), &QPushButton::clicked, station_.get(), &Station::SendRTAndPS);
    connect(side_->moveToTray(), &QPushButton::clicked, this, &MainWindow::moveToTray);
}

void MainWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction *setup = file->addAction(QStringLiteral("S&etup"));
    setup->setObjectName(QStringLiteral("mnuSetup"));
    connect(setup, &QAction::triggered, this, [this] { SetupDialog::openFrom(*station_, this); });
    QAction *exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("Exitmnu"));
    connect(exit, &QAction::triggered, this, &MainWindow::Exitmnu_Click);

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction *contents = help->addAction(QStringLiteral("Contents"));
    contents->setObjectName(QStringLiteral("mnuContents"));
    contents->setShortcut(QKeySequence::HelpContents);
    connect(contents, &QAction::triggered, this, &MainWindow::showHelp);
    QAction *about = help->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::bindStation()
{
    Station &s = *station_;
    s.setMessenger([this](const QString &text) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ZephyrineFM+"), text, QMessageBox::Ok, this);
        box.exec();
    });
    connect(&s, &Station::statusChanged, this, [this](const QString &text, double progress) {
        status_->setText(text);
        side_->setProgress(progress);
    });
    connect(&s, &Station::progressChanged, side_, &SidePanel::setProgress);
    connect(&s, &Station::buttonsChanged, this, &MainWindow::showButtons);
    connect(&s, &Station::statusReplyReceived, this, [this](const StatusReply &reply) {
        alarms_->showStatus(reply);
        about_->firmware()->setText(reply.firmware);
    });
    connect(alarms_, &AlarmsPage::readTxClicked, &s, &Station::ReadTX);
    connect(side_->readRds(), &QPushButton::clicked, &s, &Station::ReadRDS);
    connect(&s, &Station::autoReadChanged, alarms_, &AlarmsPage::refresh);
    connect(&s, &Station::recordChanged, this, &MainWindow::refreshPages);
    connect(&s, &Station::confirmationRequested, this, [this](const QString &text) {
        // The static PS waits for the operator without blocking the window;
        // the link stays held until the box is closed.
        auto *box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("ZephyrineFM+"), text, QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        connect(box, &QMessageBox::finished, station_.get(), [this] { station_->runner().confirm(); });
        box->open();
    });
    showButtons();
}

void MainWindow::showButtons()
{
    const Station::Buttons &b = station_->buttons();
    side_->sendRtAndPs()->setEnabled(b.sendRtAndPs);
    side_->sendSettings()->setEnabled(b.sendSettings);
    side_->readRds()->setEnabled(b.readRds);
    alarms_->readTx()->setEnabled(b.readTx);
}

void MainWindow::refreshPages()
{
    txMain_->refresh();
    alarms_->refresh();
    rds_->refresh();
    autoPs_->refresh();
    side_->refresh();
    showButtons();
}

void MainWindow::TabSelected(int index)
{
    if (index >= 0 && index < static_cast<int>(std::size(kTabs)))
        helpContext_ = kTabs[index].helpContext;
    station_->TabSelected();
}

void MainWindow::PreviewTick()
{
    const PreviewFrame frame = preview_.tick(station_->record(), side_->previewScrollsRadioText());
    side_->showPreview(frame.text);
    if (tray_)
        tray_->setToolTip(trayToolTip(station_->record()));
    previewTimer_.setInterval(frame.intervalMs);
}

void MainWindow::moveToTray()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // Without a notification area the window is minimised instead.
        showMinimized();
        status_->setText(QStringLiteral("This desktop has no tray; the window was minimised instead."));
        return;
    }
    if (!tray_) {
        tray_ = new QSystemTrayIcon(windowIcon(), this);
        tray_->setObjectName(QStringLiteral("TrayIcon"));
        connect(tray_, &QSystemTrayIcon::activated, this, &MainWindow::restoreFromTray);
    }
    tray_->setToolTip(trayToolTip(station_->record()));
    tray_->show();
    hide();
}

void MainWindow::restoreFromTray()
{
    if (tray_)
        tray_->hide();
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::showHelp()
{
    // A missing help file is the viewer's to report, if at all.
    const QString path = helpFilePath();
    if (QFileInfo::exists(path))
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void MainWindow::showAbout()
{
    if (!aboutBox_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        aboutBox_ = new AboutBox(this);
        aboutBox_->setAttribute(Qt::WA_DeleteOnClose);
        aboutBox_->show();
        QApplication::restoreOverrideCursor();
    }
    aboutBox_->raise();
    aboutBox_->activateWindow();
}

void MainWindow::Exitmnu_Click()
{
    if (exiting_)
        return;
    exiting_ = true;
    SettingsRecord &r = station_->record();
    if (!r.ShutDown) {
        finishExit();
        return;
    }
    // The transmitter is sent power 0; the operator's power stays stored.
    r.ShutDownInProgress = true;
    r.TXPower = 0;
    station_->SendSettings(Attended::No, [this] { finishExit(); });
}

void MainWindow::finishExit()
{
    exitDone_ = true;
    station_->port().close();
    if (tray_)
        tray_->hide();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible())
            w->close();
    }
    close();
    emit exited();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (exitDone_) {
        event->accept();
        return;
    }
    event->ignore();
    Exitmnu_Click();
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && station_)
        station_->save();
    if (event->type() == QEvent::WindowStateChange && isMinimized() && tray_ && tray_->isVisible())
        hide();
    QMainWindow::changeEvent(event);
}

} // namespace zfm
