#pragma once

#include "autoupdate/auto_update_engine.h"
#include "link/line_owner.h"
#include "link/port_probe.h"
#include "link/status_reply.h"
#include "rds/rds_upload.h"
#include "settings/settings.h"
#include "station/auto_update_driver.h"
#include "station/buttons.h"
#include "station/daily_clock.h"
#include "station/read_back_driver.h"
#include "station/reconnector.h"
#include "station/schedule_driver.h"
#include "station/status_reader.h"

#include <QObject>

namespace zfm {

class Clock;
class SettingsStore;

// The one facade between the front end and the transmitter. The front end shows
// what this says and forwards what the operator does; everything that reaches
// the device goes through the line owner as a job, built here or by one of the
// drivers (status read, read-back, automatic update, scheduler, daily clock).
class Station : public QObject {
    Q_OBJECT
public:
    Station(SettingsStore &store, const Clock &clock, QObject *parent = nullptr);
    ~Station() override;

    SettingsRecord &record() { return record_; }
    const SettingsRecord &record() const { return record_; }
    const Clock &clock() const { return clock_; }
    AutoUpdateEngine &autoUpdate() { return autoUpdate_; }
    const LineOwner &line() const { return line_; }
    const DailyClock &dailyClock() const { return dailyClock_; }
    const ScheduleDriver &scheduler() const { return scheduler_; }

    // Start-up: every setting from the store (values outside their lists or
    // ranges are repaired and stored), the automatic update's options, and the
    // device family with its line speed.
    void loadSettings();
    // Reads the store again (the setup window does, as it opens).
    void reloadSettings();
    // The end of start-up: the timers start, the port opens at the family's
    // speed and, when that worked and "Send settings at Start" is ticked, the
    // settings are sent. A missing port is reported once and ends start-up.
    void start();
    bool isStartedUp() const { return startedUp_; }

    // Writes the whole record; a store that cannot be written is reported once
    // until a save succeeds again.
    void save();
    // Something for the operator to read, passed on as message().
    void tell(const QString &text);

    const Buttons &buttons() const { return buttons_; }
    // Switching tabs gives "Send settings" and "Send RT and PS" back.
    void tabSelected();

    // ---- What the operator does ----
    void sendSettings();
    void sendRtAndPs();
    void testFrequency();
    void testPower();
    void readTx();
    void readRds();
    // "Auto read TX": stores AutoRead.
    void setAutoRead(bool ticked);
    // "Reconnect automatically when the port is lost": stores AutoReconnect.
    void setAutoReconnect(bool ticked);
    // The port is away and the program keeps trying it ("AutoReconnect").
    bool isPortAway() const { return portAway_; }
    const Reconnector &reconnector() const { return reconnector_; }
    // The device family: MODE and its speed code, stored at once; the line
    // takes the speed when the job on it has ended.
    void chooseFamily(int16_t mode);
    // The operator acknowledged the static PS.
    void confirm();

    // ---- The setup window ----
    // Asks for the line for setup; setupReady() once setup has it (the main
    // port closed), after any upload under way has ended.
    void openSetup();
    // Setup ended: the line goes back to the queue.
    void closeSetup();
    bool hasSetup() const { return line_.isRunning(JobKind::Setup); }
    // The communication test and the port search run on a test port of their
    // own, only while setup has the line.
    PortProbe &portProbe() { return probe_; }

    // ---- Exit ----
    // Stops what runs at its next frame boundary and drops what waits; with
    // "Shut down TX at exit" ticked sends the settings with power 0; closes
    // the port; then exited().
    void exit();
    bool isExiting() const { return exiting_; }

signals:
    void statusChanged(const QString &text, double progress);
    void progressChanged(double progress);
    void buttonsChanged();
    void statusReplyReceived(const zfm::StatusReply &reply);
    // "Auto read TX" was changed by the program (failure action).
    void autoReadChanged(bool ticked);
    // Record fields changed by the program rather than by the operator.
    void recordChanged();
    // Something the operator is to read.
    void message(const QString &text);
    void confirmationRequested(const QString &text);
    void setupReady();
    void setupEnded();
    void clockShown(const QString &time, const QString &date);
    void exited();

private:
    void onLineFailed(const LinkFailure &failure, JobKind kind, bool attended);
    WireScript openPortScript() const;
    void portAway(const LinkFailure &failure);
    void portBack();
    void pauseAutomaticWork(bool paused);
    void showReconnecting();
    // A store that cannot be written is reported once until a save works again.
    void reportSave(bool written);
    void submitSendSettings(bool attended = false);
    // A job of the operator's (`attended`) or of the automatic work.
    void submitScript(JobKind kind, std::function<WireScript()> script, bool attended = true,
        std::function<void(const JobEnd &)> done = {});
    // The end of a job that writes PS entries: `completed` tells the device's
    // list what it got; a job cut short leaves the list unknown.
    std::function<void(const JobEnd &)> afterPsFrames(std::function<void()> completed);
    // The port the line uses: number, speed, family and device, as one text.
    QString portInUse() const;
    void recordEdited();
    void refreshButtons();
    void stopTimers();

    SettingsRecord record_;
    Settings settings_;
    const Clock &clock_;
    LineOwner line_;
    PortProbe probe_;
    AutoUpdateEngine autoUpdate_;
    StatusReader statusReader_;
    ReadBackDriver readBack_;
    AutoUpdateDriver autoUpdateDriver_;
    ScheduleDriver scheduler_;
    DailyClock dailyClock_;
    Reconnector reconnector_;
    Buttons buttons_;
    // The operator pressed "Send settings": the next one confirms the static PS.
    bool sendSettingsAttended_ = false;
    bool tabReleased_ = false;
    bool startedUp_ = false;
    bool exiting_ = false;
    bool storeFailureReported_ = false;
    bool portAway_ = false;
    // A scheme applied, or start-up's "Send settings at Start" fell due, while
    // the port was away: sent once it is back.
    bool settingsOwed_ = false;
};

} // namespace zfm
