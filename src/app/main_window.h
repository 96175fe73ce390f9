#pragma once

#include "rds/preview.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <memory>

class QLabel;
class QMessageBox;
class QSystemTrayIcon;
class QTabWidget;

namespace zfm {

class AboutBox;
class AboutPage;
class AlarmsPage;
class AutoPsPage;
class Clock;
class RdsPage;
class SettingsStore;
class SidePanel;
class Station;
class StationLog;
class StationLogWindow;
class TxMainPage;
class WinampWindow;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    struct Options {
        // The about box shown while the program starts.
        bool splash = true;
        // Where the settings live and what the time is; the platform's by default.
        SettingsStore *store = nullptr;
        const Clock *clock = nullptr;
        // The station log's file; "station-log.sqlite" in the program's data folder when empty.
        QString stationLogPath;
    };

    explicit MainWindow(QWidget *parent = nullptr);
    explicit MainWindow(const Options &options, QWidget *parent = nullptr);
    ~MainWindow() override;

    Station &station() { return *station_; }
    int helpContext() const { return helpContext_; }
    QString statusText() const;
    double progressValue() const;
    QTabWidget *tabs() const { return tabs_; }
    // Whether start-up has finished all of its steps (it stops early when the port is missing).
    bool startedUp() const;
    StationLog &stationLog() { return *stationLog_; }

    // The "Exit" menu command; closing the window does the same.
    void exitProgram();
    // "Move To Tray" and the tray icon's activation.
    void moveToTray();
    void restoreFromTray();
    // "Contents": the help file beside the program.
    void showHelp();
    void showAbout();
    // "Station &log...": the log window, opened once and raised after.
    StationLogWindow *showStationLog();

    static QString helpFilePath();

signals:
    // The program has finished exiting (the power-0 upload, when asked for, is done).
    void exited();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildMenus();
    void buildPages();
    void bindStation();
    void startUp();
    void tabSelected(int index);
    void refreshPages();
    void showButtons();
    void previewTick();
    // One message box at a time, without stopping the window; a text already
    // shown or waiting is not queued again.
    void showMessage(const QString &text);
    void showNextMessage();
    void showConfirmation(const QString &text);
    void finishExit();
    QSystemTrayIcon *trayIcon();
    // An alarm lit or went out: a message from the tray, where there is one.
    void showAlarmNotice(const QString &title, const QString &text);

    std::unique_ptr<SettingsStore> ownStore_;
    std::unique_ptr<Clock> ownClock_;
    std::unique_ptr<Station> station_;
    std::unique_ptr<StationLog> stationLog_;
    QPointer<StationLogWindow> logWindow_;
    std::unique_ptr<WinampWindow> winAmp_;
    Options options_;

    QTabWidget *tabs_ = nullptr;
    TxMainPage *txMain_ = nullptr;
    AlarmsPage *alarms_ = nullptr;
    RdsPage *rds_ = nullptr;
    AutoPsPage *autoPs_ = nullptr;
    AboutPage *about_ = nullptr;
    SidePanel *side_ = nullptr;
    QLabel *status_ = nullptr;
    QSystemTrayIcon *tray_ = nullptr;
    QPointer<AboutBox> aboutBox_;
    QPointer<QMessageBox> messageBox_;
    QStringList pendingMessages_;

    QTimer previewTimer_;
    Preview preview_;

    int helpContext_ = 20;
    bool exiting_ = false;
    bool exitDone_ = false;
};

} // namespace zfm
