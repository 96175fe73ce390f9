#include "app/main_window.h"

#include "app/about_box.h"
#include "app/about_page.h"
#include "app/alarms_page.h"
#include "app/auto_ps_page.h"
#include "app/rds_page.h"
#include "app/scheduler_page.h"
#include "app/setup_dialog.h"
#include "app/side_panel.h"
#include "app/station_log_window.h"
#include "app/tx_main_page.h"
#include "autoupdate/winamp_link.h"
#include "link/clock.h"
#include "log/station_log.h"
#include "settings/settings_store.h"
#include "station/station.h"

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
    delete logWindow_;
    delete takeCentralWidget();
    // Before the station: it writes what is still pending and lets go of it.
    stationLog_.reset();
}

QString MainWindow::helpFilePath() { return QCoreApplication::applicationDirPath() + QStringLiteral("/Lumidrax5.chm"); }

QString MainWindow::statusText() const { return status_->text(); }

bool MainWindow::startedUp() const { return station_->isStartedUp(); }

double MainWindow::progressValue() const { return side_->progressValue(); }

void MainWindow::startUp()
{
    SettingsRecord &r = station_->record();
    // The player window is looked up once; only its handle is kept.
    winAmp_ = std::make_unique<WinampWindow>(r.WinAmpVersion);
    if (!winAmp_->isFound())
        winAmp_->findWindow();

    if (options_.splash) {
        // Without a parent: closing it would otherwise ask for the window to
        // be activated once shown, which lifts a window started minimised.
        AboutBox splash;
        splash.exec();
    }

    station_->loadSettings();
    winAmp_ = std::make_unique<WinampWindow>(r.WinAmpVersion);
    stationLog_ = std::make_unique<StationLog>(
        *station_, options_.stationLogPath.isEmpty() ? StationLog::defaultPath() : options_.stationLogPath);

    buildPages();
    buildMenus();
    bindStation();
    // A fixed window, as large as its pages need with this platform's fonts.
    setFixedSize(sizeHint());
    refreshPages();

    previewTimer_.setInterval(1000);
    connect(&previewTimer_, &QTimer::timeout, this, &MainWindow::previewTick);
    previewTimer_.start();

    if (r.TrayAtStart)
        QTimer::singleShot(0, this, &MainWindow::moveToTray);
    // The port opens at the family's own speed; a missing one is reported
    // once, switches the automatic work off and skips "Send settings at Start".
    station_->start();
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
    connect(tabs_, &QTabWidget::currentChanged, this, &MainWindow::tabSelected);
    row->addWidget(tabs_, 1);

    side_ = new SidePanel(*station_, central);
    row->addWidget(side_);
    setCentralWidget(central);

    status_ = new QLabel(QStringLiteral("Ready"), this);
    status_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(status_, 1);
    statusBar()->setSizeGripEnabled(false);

    connect(side_->sendSettings(), &QPushButton::clicked, station_.get(), &Station::sendSettings);
    connect(side_->sendRtAndPs(), &QPushButton::clicked, station_.get(), &Station::sendRtAndPs);
    connect(side_->moveToTray(), &QPushButton::clicked, this, &MainWindow::moveToTray);
}

void MainWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction *setup = file->addAction(QStringLiteral("S&etup"));
    setup->setObjectName(QStringLiteral("mnuSetup"));
    connect(setup, &QAction::triggered, this, [this] { SetupDialog::openFrom(*station_, this); });
    QAction *log = file->addAction(QStringLiteral("Station &log..."));
    log->setObjectName(QStringLiteral("mnuStationLog"));
    connect(log, &QAction::triggered, this, &MainWindow::showStationLog);
    QAction *exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("Exitmnu"));
    connect(exit, &QAction::triggered, this, &MainWindow::exitProgram);

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
    connect(&s, &Station::message, this, &MainWindow::showMessage);
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
    connect(alarms_, &AlarmsPage::readTxClicked, &s, &Station::readTx);
    connect(side_->readRds(), &QPushButton::clicked, &s, &Station::readRds);
    connect(&s, &Station::autoReadChanged, alarms_, &AlarmsPage::refresh);
    connect(&s, &Station::recordChanged, this, &MainWindow::refreshPages);
    connect(&s, &Station::confirmationRequested, this, &MainWindow::showConfirmation);
    connect(&s, &Station::exited, this, &MainWindow::finishExit);
    connect(stationLog_.get(), &StationLog::storeFailed, this, &MainWindow::showMessage);
    connect(stationLog_.get(), &StationLog::alarmNotice, this, &MainWindow::showAlarmNotice);
    showButtons();
}

void MainWindow::showMessage(const QString &text)
{
    if ((messageBox_ && messageBox_->text() == text) || pendingMessages_.contains(text))
        return;
    pendingMessages_ << text;
    showNextMessage();
}

void MainWindow::showNextMessage()
{
    if (messageBox_ || pendingMessages_.isEmpty() || exitDone_)
        return;
    auto *box = new QMessageBox(
        QMessageBox::NoIcon, QStringLiteral("ZephyrineFM+"), pendingMessages_.takeFirst(), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this] {
        messageBox_.clear();
        QTimer::singleShot(0, this, &MainWindow::showNextMessage);
    });
    messageBox_ = box;
    box->open();
}

void MainWindow::showConfirmation(const QString &text)
{
    // The static PS waits for the operator without blocking the window; the
    // line stays held until the box is closed.
    auto *box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("ZephyrineFM+"), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, station_.get(), &Station::confirm);
    box->open();
}

void MainWindow::showButtons()
{
    const Buttons &b = station_->buttons();
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

void MainWindow::tabSelected(int index)
{
    if (index >= 0 && index < static_cast<int>(std::size(kTabs)))
        helpContext_ = kTabs[index].helpContext;
    station_->tabSelected();
}

void MainWindow::previewTick()
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
    trayIcon()->setToolTip(trayToolTip(station_->record()));
    tray_->show();
    hide();
}

QSystemTrayIcon *MainWindow::trayIcon()
{
    if (!tray_) {
        tray_ = new QSystemTrayIcon(windowIcon(), this);
        tray_->setObjectName(QStringLiteral("TrayIcon"));
        connect(tray_, &QSystemTrayIcon::activated, this, &MainWindow::restoreFromTray);
    }
    return tray_;
}

void MainWindow::showAlarmNotice(const QString &title, const QString &text)
{
    if (exiting_ || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    constexpr int kNoticeMs = 10000;
    QSystemTrayIcon *tray = trayIcon();
    if (!tray->isVisible()) {
        // The icon stands in the tray while its message is read, then goes
        // again unless the window has moved there meanwhile.
        tray->setToolTip(trayToolTip(station_->record()));
        tray->show();
        QTimer::singleShot(kNoticeMs + 2000, this, [this] {
            if (tray_ && isVisible())
                tray_->hide();
        });
    }
    tray->showMessage(title, text, QSystemTrayIcon::Warning, kNoticeMs);
}

StationLogWindow *MainWindow::showStationLog()
{
    if (!logWindow_) {
        // Deleted when closed, so its reader lets go of the file.
        logWindow_ = new StationLogWindow(
            *stationLog_, [this] { return station_->clock().now(); }, this);
        logWindow_->setAttribute(Qt::WA_DeleteOnClose);
    }
    logWindow_->show();
    logWindow_->raise();
    logWindow_->activateWindow();
    return logWindow_;
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

void MainWindow::exitProgram()
{
    if (exiting_)
        return;
    exiting_ = true;
    station_->exit();
}

void MainWindow::finishExit()
{
    exitDone_ = true;
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
    exitProgram();
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
