#pragma once

#include "autoupdate/auto_update_engine.h"
#include "link/link_failure.h"
#include "link/link_runner.h"
#include "link/reply_parser.h"
#include "link/serial_link.h"
#include "rds/rds_upload.h"
#include "rds/read_back.h"
#include "settings/settings.h"

#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>

namespace zfm {

class Clock;
class SettingsStore;

// The one facade between the window and the transmitter: the settings record
// and its store, the main port, the link runner, the send buttons' enabling
// rules and the operations behind the buttons. No widgets here; the window
// mirrors what this says.
class Station : public QObject {
    Q_OBJECT
public:
    // Enabled state of the buttons that device operations disable and give back.
    struct Buttons {
        bool sendRtAndPs = true;
        bool sendSettings = true;
        bool readRds = true;
        bool readTx = true;
        bool operator==(const Buttons &) const = default;
    };

    Station(SettingsStore &store, const Clock &clock, QObject *parent = nullptr);
    ~Station() override;

    SettingsRecord &record() { return record_; }
    const SettingsRecord &record() const { return record_; }
    Settings &settings() { return settings_; }
    SerialLink &port() { return port_; }
    LinkRunner &runner() { return runner_; }
    const Clock &clock() const { return clock_; }
    AutoUpdateEngine &autoUpdate() { return autoUpdate_; }

    // Starts the once-a-second work that runs from the end of start-up.
    void startTimers();
    // The automatic PS/RT update's tick; skipped while the link is busy, the
    // setup window is open, or an earlier tick is still going (its upload, or a
    // message the operator reads).
    void AutoUpdateTick();
    bool autoUpdateTickRunning() const { return autoTickRunning_; }

    // Set while the RDS read-back runs; the status read and the automatic
    // update hold back meanwhile.
    bool ReadBackBusy = false;
    // Set while the serial setup window is open: it has the line to itself,
    // so the automatic status read and the automatic update hold back.
    bool SetupWindowOpen = false;
    // A status request went out and its reply has not come yet.
    bool StatusRequestPending = false;
    // The read-back took the RadioText update's switch away and gives it back when it ends.
    bool RestoreRTSwitch = false;

    // ---- Replies ----
    // "Read TX" and the automatic status read (every second with "Auto read TX").
    void ReadTX();
    // "Read RDS settings": the encoder's settings into the record.
    void ReadRDS();
    // Every character the transmitter sends.
    void OnReceive(char c);
    const ReplyParser &parser() const { return parser_; }

    // Whether a sender that runs on its own (scheduler, clock synchronisation)
    // may use the line now: no script runs, no read-back is streaming in and
    // the setup window does not have the port.
    bool linkFreeForAutomaticWork() const { return !runner_.isBusy() && !ReadBackBusy && !SetupWindowOpen; }

    // Writes the whole record; a store that cannot be written is reported once
    // until a save succeeds again.
    void save();

    // ---- Buttons ----
    const Buttons &buttons() const { return buttons_; }
    // Enables "Send RT and PS", "Send settings", "Read RDS settings", and
    // "Read TX" unless "Auto read TX" is ticked.
    void EnableButtons();
    void EnableButtons2() { EnableButtons(); }
    // A device operation starts: the four buttons go grey.
    void disableSendButtons();
    // Switching tabs gives "Send RT and PS" and "Send settings" back.
    void TabSelected();
    void setReadTxEnabled(bool enabled);

    // ---- Operations ----
    // "Send settings": the selected family's upload. Attended uploads confirm
    // the static PS with the operator. `after` runs when it has ended (also
    // after a failure). Waits for a running script to end first.
    void SendSettings(Attended attended, std::function<void()> after = {});
    // "Send RT and PS".
    void SendRTAndPS();
    // The "103" and "32%" buttons.
    void testFrequency();
    void testPower();

    // The device family: MODE, its speed code and line settings applied to the
    // main port at once.
    void applyFamily(int16_t mode);
    // "Auto read TX": stores AutoRead and gives "Read TX" back or takes it away.
    void AutoReadChanged(bool ticked);

    // Switches the automatic PS/RT update off.
    void CheckAutoUpdate() { autoUpdate_.CheckAutoUpdate(); }

    // Shows a message to the operator and returns when it has been read.
    void setMessenger(std::function<void(const QString &)> messenger) { messenger_ = std::move(messenger); }
    void tell(const QString &text);

    // Runs `start` now when the link is free, else as soon as it is.
    void whenLinkFree(std::function<void()> start);
    // For a timer tick that needs the link: runs `work` now when the link is
    // free, else once as soon as it is. A tick that finds the link busy is late,
    // never dropped - a blocked window handled such a tick right after the
    // block - so timers firing at the same moment each get their turn.
    // `waiting`, a flag of the timer's `owner`, keeps it to one late run per
    // timer; nothing runs once the owner is gone.
    void tickWhenLinkFree(QObject *owner, bool &waiting, std::function<void()> work);

signals:
    void statusChanged(const QString &text, double progress);
    void progressChanged(double progress);
    // The transmitter reported its status.
    void statusReplyReceived(const zfm::StatusReply &reply);
    void buttonsChanged();
    // "Auto read TX" was changed by the program (failure action).
    void autoReadChanged(bool ticked);
    // Fields the window shows changed outside its own handlers.
    void recordChanged();
    void confirmationRequested(const QString &text);

private:
    void onFailed(const LinkFailure &failure);
    void autoUpdateRtPart();
    void timerAutoreadTick();
    void timerReadTXTick();
    void TimerStatusTick();
    void timerRDSTick();
    void finishReply();
    void applyReadBackReply(const ReadBack &readBack);
    void setReady();
    void endAutoUpdateTick() { autoTickRunning_ = false; }
    void runQueued();
    void setButtons(const Buttons &b);

    SettingsRecord record_;
    SettingsStore &store_;
    Settings settings_;
    const Clock &clock_;
    SerialLink port_;
    LinkRunner runner_;
    Buttons buttons_;
    std::deque<std::function<void()>> queued_;
    AutoUpdateEngine autoUpdate_;
    QTimer autoUpdateTimer_;
    ReplyParser parser_;
    QTimer timerAutoread;
    QTimer timerReadTX;
    QTimer TimerStatus;
    QTimer timerRDS;
    // A status request of the automatic read: its watchdog ends it without a message.
    bool quietStatusRequest_ = false;
    bool autoReadWaiting_ = false;
    bool autoTickRunning_ = false;
    std::function<void(const QString &)> messenger_;
    bool storeFailureReported_ = false;
};

} // namespace zfm
