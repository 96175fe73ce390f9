#include "station/station.h"

#include "link/clock.h"
#include "link/port_map.h"
#include "rds/rt_ps_upload.h"
#include "settings/line_speed.h"
#include "settings/settings_store.h"
#include "station/stored_values.h"
#include "transmitter/requests.h"
#include "transmitter/send_settings.h"

namespace zfm {

Station::Station(SettingsStore &store, const Clock &clock, QObject *parent)
    : QObject(parent),
      settings_(record_, store),
      clock_(clock),
      line_(record_, clock_),
      probe_(record_, clock_),
      autoUpdate_(settings_, clock_),
      statusReader_(line_, record_),
      readBack_(line_, record_, autoUpdate_),
      autoUpdateDriver_(line_, autoUpdate_),
      scheduler_(record_, clock_),
      dailyClock_(line_, record_, clock_),
      reconnector_(line_, [this] {
          // The device may have been assigned again meanwhile (a by-id path
          // needs nothing of the kind; the virtual transmitter does).
          settings_.reloadPortMap();
          return openPortScript();
      })
{
    connect(&line_, &LineOwner::statusChanged, this, &Station::statusChanged);
    connect(&line_, &LineOwner::confirmationRequested, this, &Station::confirmationRequested);
    connect(&line_, &LineOwner::failed, this, &Station::onLineFailed);
    connect(&line_, &LineOwner::jobsChanged, this, &Station::refreshButtons);

    connect(&statusReader_, &StatusReader::replyReceived, this, &Station::statusReplyReceived);
    connect(&statusReader_, &StatusReader::message, this, &Station::tell);
    connect(&readBack_, &ReadBackDriver::progressChanged, this, &Station::progressChanged);
    connect(&readBack_, &ReadBackDriver::recordEdited, this, &Station::recordEdited);
    connect(&readBack_, &ReadBackDriver::message, this, &Station::tell);
    connect(&autoUpdateDriver_, &AutoUpdateDriver::message, this, &Station::tell);
    // The automatic update saves as it takes titles: its failures count too.
    connect(&autoUpdate_, &AutoUpdateEngine::saved, this, &Station::reportSave);
    connect(&dailyClock_, &DailyClock::clockShown, this, &Station::clockShown);
    connect(&scheduler_, &ScheduleDriver::schemeApplied, this, [this] {
        recordEdited(); // the frequency display and the power slider follow
        // Nobody is there to confirm the static PS: the frame goes as it is.
        if (portAway_)
            settingsOwed_ = true;
        else
            submitSendSettings();
    });
    // Whatever ends while the port is away (a try, a button's job), the
    // status line says what the program is doing.
    connect(&line_, &LineOwner::jobEnded, this, [this] {
        if (portAway_ && !exiting_)
            showReconnecting();
    });
    connect(&reconnector_, &Reconnector::reconnected, this, &Station::portBack);
}

Station::~Station()
{
    // Drivers and pages may still be told about jobs that end as the line goes.
    disconnect(&line_, nullptr, this, nullptr);
}

void Station::loadSettings()
{
    reloadSettings();
    autoUpdate_.restore();
    // Any MODE but the small family's is the classic upload; the family's
    // speed code goes with it, so every sender talks at the family's speed.
    chooseFamily(record_.MODE == kModeSmall ? kModeSmall : kModeClassic);
    refreshButtons();
}

void Station::reloadSettings()
{
    const QStringList unreadable = settings_.loadAll();
    const QStringList repaired = repairStoredValues(record_);
    if (!unreadable.isEmpty() || !repaired.isEmpty())
        save();
    emit recordChanged();
}

void Station::start()
{
    record_.maxSchemeIndex = 20;
    statusReader_.start();
    autoUpdateDriver_.start();
    scheduler_.start();
    dailyClock_.start();

    Job open;
    open.kind = JobKind::PortOpen;
    open.script = [this] { return openPortScript(); };
    open.done = [this](const JobEnd &end) {
        if (!end.completed())
            return; // reported; "Send settings at Start" is skipped
        startedUp_ = true;
        if (record_.SettingsAtStart)
            submitSendSettings();
    };
    line_.submit(std::move(open));
}

WireScript Station::openPortScript() const
{
    WireScript s;
    return s.pause(kWritePauseMs).openWithLine(lineSettingsForSpeed(record_.COMSpeed));
}

void Station::save() { reportSave(settings_.saveAll()); }

void Station::reportSave(bool written)
{
    if (written) {
        // Written again: a later failure is a new one and is reported again.
        storeFailureReported_ = false;
        return;
    }
    if (storeFailureReported_)
        return;
    storeFailureReported_ = true;
    if (settings_.storeHeldByAnother()) {
        tell(QStringLiteral("Your settings could not be written to the settings store: another program (perhaps "
                            "a second copy of this one) is holding the settings file. Changes are kept while the "
                            "program runs."));
        return;
    }
    tell(QStringLiteral("Your settings could not be written to the settings store. Changes are kept while the "
                        "program runs; check that the settings folder is writable."));
}

void Station::tell(const QString &text) { emit message(text); }

void Station::recordEdited()
{
    save();
    emit recordChanged();
}

void Station::refreshButtons()
{
    const auto has = [this](JobKind kind) { return line_.has(kind); };
    if (!buttonsHeld(has))
        tabReleased_ = false;
    const Buttons b = buttonsFor(has, record_.AutoRead, tabReleased_);
    if (b == buttons_)
        return;
    buttons_ = b;
    emit buttonsChanged();
}

void Station::tabSelected()
{
    tabReleased_ = true;
    refreshButtons();
}

void Station::onLineFailed(const LinkFailure &failure, JobKind kind, bool attended)
{
    // Whatever was cut short, and whatever is at the end of the line now,
    // the device's list is no longer known.
    autoUpdate_.forgetDeviceList();
    // On the way out the line is let go: nothing more to say about it.
    if (exiting_ && failure.kind == LinkFailure::Kind::LineLost)
        return;
    if (record_.AutoReconnect && !exiting_) {
        // A scheme's settings (or start-up's) queued when the line went are
        // sent once it is back.
        if (kind == JobKind::SendSettings && !attended)
            settingsOwed_ = true;
        if (!portAway_)
            portAway(failure);
        else if (attended)
            tell(failure.message()); // a button pressed while the port is away
        return;
    }
    tell(failure.message());
    // With reconnecting chosen the automatic work is never switched off.
    if (failure.kind == LinkFailure::Kind::LineLost || record_.AutoReconnect || kind == JobKind::Reconnect)
        return;
    // The failure action of every sender when the port cannot be opened: the
    // automatic update and the automatic status read would only meet the same
    // port again, with a message every second.
    autoUpdate_.switchOff();
    if (record_.AutoRead) {
        setAutoRead(false);
        emit autoReadChanged(false);
    }
}

void Station::submitScript(
    JobKind kind, std::function<WireScript()> script, bool attended, std::function<void(const JobEnd &)> done)
{
    Job job;
    job.kind = kind;
    job.attended = attended;
    job.script = std::move(script);
    job.done = std::move(done);
    line_.submit(std::move(job));
}

void Station::submitSendSettings(bool attended)
{
    // The static PS it sends is entry 0 of the device's list.
    auto staticPs = std::make_shared<QString>();
    submitScript(
        JobKind::SendSettings,
        [this, staticPs] {
            const Attended attended = sendSettingsAttended_ ? Attended::Yes : Attended::No;
            sendSettingsAttended_ = false;
            *staticPs = record_.PS[0];
            WireScript script = sendSettingsScript(record_, attended);
            if (!isSmallFamily(record_))
                save(); // AFNum was recomputed
            return script;
        },
        attended, afterPsFrames([this, staticPs] { autoUpdate_.staticPsSent(*staticPs); }));
}

std::function<void(const JobEnd &)> Station::afterPsFrames(std::function<void()> completed)
{
    return [this, completed = std::move(completed)](const JobEnd &end) {
        if (end.completed())
            completed();
        else if (end.outcome != JobEnd::Outcome::Dropped)
            autoUpdate_.forgetDeviceList(); // some frames may have gone, or none
    };
}

void Station::sendSettings()
{
    sendSettingsAttended_ = true;
    tabReleased_ = false;
    submitSendSettings(true);
}

void Station::sendRtAndPs()
{
    tabReleased_ = false;
    // Its list, once all of it is out, is the one the device holds.
    auto sent = std::make_shared<PsList>();
    submitScript(
        JobKind::SendRtAndPs,
        [this, sent] {
            *sent = PsList::of(record_);
            return sendRtAndPsScript(record_);
        },
        true, afterPsFrames([this, sent] { autoUpdate_.deviceListSent(*sent); }));
}

void Station::testFrequency()
{
    submitScript(JobKind::TestFrequency, [] { return frequencyTestScript(); });
}

void Station::testPower()
{
    submitScript(JobKind::TestPower, [] { return powerTestScript(); });
}

void Station::readTx() { statusReader_.readTx(); }

void Station::readRds()
{
    tabReleased_ = false;
    readBack_.readRds();
}

void Station::setAutoRead(bool ticked)
{
    record_.AutoRead = ticked;
    save();
    refreshButtons();
}

void Station::setAutoReconnect(bool ticked)
{
    record_.AutoReconnect = ticked;
    save();
    if (!ticked && portAway_) {
        // Back to the failure action of every sender the next time the port fails.
        reconnector_.stop();
        portAway_ = false;
        pauseAutomaticWork(false);
        emit statusChanged(QStringLiteral("Ready"), 0);
    }
}

// The automatic work is paused, not switched off: its options stay as they
// are stored, and what falls due meanwhile is sent once the port is back.
void Station::portAway(const LinkFailure &failure)
{
    portAway_ = true;
    pauseAutomaticWork(true);
    reconnector_.begin();
    tell(failure.message()
        + QStringLiteral("\n\nThe program keeps trying to reconnect to COM %1; the automatic work is paused until "
                         "the port is back.")
              .arg(record_.COMSelected));
    showReconnecting();
}

void Station::pauseAutomaticWork(bool paused)
{
    autoUpdateDriver_.setPaused(paused);
    dailyClock_.setPaused(paused);
    if (paused)
        statusReader_.stop();
    else if (!exiting_)
        statusReader_.start();
}

void Station::showReconnecting()
{
    emit statusChanged(QStringLiteral("Reconnecting to COM %1 ...").arg(record_.COMSelected), 0);
}

// What fell due while the port was away goes out once, in this order: the
// RadioText and the title's PS list (the device may have lost them with its
// line), the settings a scheme applied meanwhile, the clock synchronisation.
void Station::portBack()
{
    portAway_ = false;
    pauseAutomaticWork(false);
    emit statusChanged(QStringLiteral("Reconnected to COM %1").arg(record_.COMSelected), 0);
    autoUpdate_.deviceForgot();
    autoUpdateDriver_.sendOwed();
    if (!startedUp_) {
        // Start-up met a missing port: its end comes now.
        startedUp_ = true;
        settingsOwed_ = settingsOwed_ || record_.SettingsAtStart;
    }
    if (std::exchange(settingsOwed_, false))
        submitSendSettings();
    dailyClock_.sendOwed();
}

void Station::chooseFamily(int16_t mode)
{
    if (mode != record_.MODE || familyComSpeed(mode) != record_.COMSpeed)
        autoUpdate_.forgetDeviceList(); // another device, or one that hears another speed
    record_.MODE = mode;
    record_.COMSpeed = familyComSpeed(mode);
    save();
    Job speed;
    speed.kind = JobKind::LineSpeed;
    speed.first = true;
    speed.script = [this] { return WireScript().lineSettings(lineSettingsForSpeed(record_.COMSpeed)); };
    line_.submit(std::move(speed));
}

void Station::confirm() { line_.confirm(); }

void Station::openSetup()
{
    if (line_.has(JobKind::Setup))
        return;
    Job setup;
    setup.kind = JobKind::Setup;
    setup.holdsLine = true;
    // Setup has the line to itself, the main port closed, until closeSetup().
    auto portBefore = std::make_shared<QString>();
    setup.script = [this, portBefore] {
        *portBefore = portInUse();
        return WireScript().close();
    };
    setup.held = [this] { emit setupReady(); };
    setup.done = [this, portBefore](const JobEnd &) {
        probe_.stop();
        // Another port, device or speed: another device's list, or none.
        if (portInUse() != *portBefore)
            autoUpdate_.forgetDeviceList();
        emit setupEnded();
    };
    line_.submit(std::move(setup));
}

void Station::closeSetup() { line_.release(JobKind::Setup); }

QString Station::portInUse() const
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(record_.COMSelected)
        .arg(record_.COMSpeed)
        .arg(record_.MODE)
        .arg(devicePath(record_, record_.COMSelected));
}

void Station::stopTimers()
{
    statusReader_.stop();
    autoUpdateDriver_.stop();
    scheduler_.stop();
    dailyClock_.stop();
    reconnector_.stop();
}

void Station::exit()
{
    if (exiting_)
        return;
    exiting_ = true;
    stopTimers();
    line_.beginExit();
    if (record_.ShutDown) {
        // The transmitter is sent power 0; the operator's power stays stored.
        record_.shutDownInProgress = true;
        record_.TXPower = 0;
        Job shutDown;
        shutDown.kind = JobKind::ShutDown;
        shutDown.exitPath = true;
        shutDown.script = [this] { return sendSettingsScript(record_, Attended::No); };
        line_.submit(std::move(shutDown));
    }
    Job close;
    close.kind = JobKind::PortClose;
    close.exitPath = true;
    close.script = [] { return WireScript().close(); };
    close.done = [this](const JobEnd &) { emit exited(); };
    line_.submit(std::move(close));
}

} // namespace zfm
