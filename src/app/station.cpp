#include "app/station.h"

#include "autoupdate/update_scripts.h"
#include "link/clock.h"
#include "rds/rt_ps_upload.h"
#include "settings/settings_store.h"
#include "transmitter/requests.h"

#include <QPointer>
#include <QTimer>

namespace zfm {

Station::Station(SettingsStore &store, const Clock &clock, QObject *parent)
    : QObject(parent),
      store_(store),
      settings_(record_, store),
      clock_(clock),
      port_(record_, &record_.LineSettings),
      runner_(port_, clock_),
      autoUpdate_(settings_, clock_)
{
    autoUpdateTimer_.setInterval(1000);
    connect(&autoUpdateTimer_, &QTimer::timeout, this, &Station::AutoUpdateTick);
    timerAutoread.setInterval(1000);
    connect(&timerAutoread, &QTimer::timeout, this, &Station::timerAutoreadTick);
    for (auto [timer, ms] :
        {std::pair{&timerReadTX, 1000}, std::pair{&TimerStatus, 1000}, std::pair{&timerRDS, 2000}}) {
        timer->setInterval(ms);
        timer->setSingleShot(true);
    }
    connect(&timerReadTX, &QTimer::timeout, this, &Station::timerReadTXTick);
    connect(&TimerStatus, &QTimer::timeout, this, &Station::TimerStatusTick);
    connect(&timerRDS, &QTimer::timeout, this, &Station::timerRDSTick);
    connect(&port_, &SerialLink::received, this, &Station::OnReceive);
    connect(&runner_, &LinkRunner::statusChanged, this, &Station::statusChanged);
    connect(&runner_, &LinkRunner::failed, this, &Station::onFailed);
    connect(&runner_, &LinkRunner::confirmationRequested, this, &Station::confirmationRequested);
    connect(&runner_, &LinkRunner::busyChanged, this, [this](bool busy) {
        if (!busy && !queued_.empty())
            QTimer::singleShot(0, this, &Station::runQueued);
    });
}

Station::~Station() = default;

void Station::save()
{
    if (settings_.SaveAllSettings()) {
        // Written again: a later failure is a new one and is reported again.
        storeFailureReported_ = false;
        return;
    }
    if (storeFailureReported_)
        return;
    storeFailureReported_ = true;
    tell(QStringLiteral("Your settings could not be written to the settings store. Changes are kept while the "
                        "program runs; check that the settings folder is writable."));
}

void Station::setButtons(const Buttons &b)
{
    if (b == buttons_)
        return;
    buttons_ = b;
    emit buttonsChanged();
}

void Station::EnableButtons() { setButtons({true, true, true, !record_.AutoRead}); }

void Station::disableSendButtons() { setButtons({false, false, false, false}); }

void Station::TabSelected()
{
    Buttons b = buttons_;
    b.sendRtAndPs = true;
    b.sendSettings = true;
    setButtons(b);
}

void Station::setReadTxEnabled(bool enabled)
{
    Buttons b = buttons_;
    b.readTx = enabled;
    setButtons(b);
}

void Station::tell(const QString &text)
{
    if (messenger_)
        messenger_(text);
}

void Station::startTimers()
{
    autoUpdateTimer_.start();
    timerAutoread.start();
}

void Station::AutoUpdateTick()
{
    if (runner_.isBusy() || autoTickRunning_ || SetupWindowOpen)
        return;
    autoTickRunning_ = true;
    const AutoUpdateTickResult r = autoUpdate_.tick(ReadBackBusy);
    if (!r.message.isEmpty()) {
        tell(r.message);
        endAutoUpdateTick();
        return;
    }
    if (r.psUpload.empty()) {
        if (r.runRtPart)
            autoUpdateRtPart();
        else
            endAutoUpdateTick();
        return;
    }
    runner_.start(r.psUpload, [this, runRt = r.runRtPart](LinkRunner::Outcome o) {
        const bool completed = o == LinkRunner::Outcome::Completed;
        autoUpdate_.psUploadFinished(completed);
        // A failed upload ends the tick: one message per failure.
        if (completed && runRt)
            autoUpdateRtPart();
        else
            endAutoUpdateTick();
    });
}

void Station::autoUpdateRtPart()
{
    runner_.start(rtLeadInScript(), [this](LinkRunner::Outcome) {
        WireScript rt = autoUpdate_.rtPart(ReadBackBusy);
        if (rt.empty()) {
            endAutoUpdateTick();
            return;
        }
        runner_.start(std::move(rt), [this](LinkRunner::Outcome o) {
            autoUpdate_.rtUploadFinished(o == LinkRunner::Outcome::Completed);
            endAutoUpdateTick();
        });
    });
}

void Station::onFailed(const LinkFailure &failure)
{
    tell(failure.message());
    if (failure.kind != LinkFailure::Kind::LineLost) {
        // The failure action of every sender when the port cannot be opened:
        // the automatic update and the automatic status read would only meet
        // the same port again, with a message every second.
        CheckAutoUpdate();
        if (record_.AutoRead) {
            AutoReadChanged(false);
            emit autoReadChanged(false);
        }
    }
}

void Station::whenLinkFree(std::function<void()> start)
{
    if (!runner_.isBusy() && queued_.empty()) {
        start();
        return;
    }
    queued_.push_back(std::move(start));
}

void Station::tickWhenLinkFree(QObject *owner, bool &waiting, std::function<void()> work)
{
    if (waiting)
        return;
    if (!runner_.isBusy() && queued_.empty()) {
        work();
        return;
    }
    waiting = true;
    queued_.push_back([guard = QPointer(owner), &waiting, work = std::move(work)] {
        if (!guard)
            return;
        waiting = false;
        work();
    });
}

void Station::runQueued()
{
    while (!runner_.isBusy() && !queued_.empty()) {
        auto next = std::move(queued_.front());
        queued_.pop_front();
        next();
    }
}

void Station::SendSettings(Attended attended, std::function<void()> after)
{
    disableSendButtons();
    whenLinkFree([this, attended, after = std::move(after)]() mutable {
        const bool small = isSmallFamily(record_);
        WireScript script = SendSettingsScript(record_, attended);
        if (!small)
            save(); // AFNum was recomputed
        // Both families give every button back, "Read TX" included: it was
        // switched off with the others, and nothing else would return it.
        runner_.start(std::move(script), [this, after = std::move(after)](LinkRunner::Outcome) {
            EnableButtons();
            if (after)
                after();
        });
    });
}

void Station::SendRTAndPS()
{
    disableSendButtons();
    whenLinkFree(
        [this] { runner_.start(zfm::SendRTAndPS(record_), [this](LinkRunner::Outcome) { EnableButtons(); }); });
}

void Station::testFrequency()
{
    whenLinkFree([this] { runner_.start(frequencyTestScript()); });
}

void Station::testPower()
{
    whenLinkFree([this] { runner_.start(powerTestScript()); });
}

void Station::applyFamily(int16_t mode)
{
    record_.MODE = mode;
    record_.COMSpeed = mode == kModeSmall ? 5 : 2;
    port_.applyComSpeed(record_.COMSpeed);
    save();
}

void Station::AutoReadChanged(bool ticked)
{
    record_.AutoRead = ticked;
    setReadTxEnabled(!ticked);
    save();
}

} // namespace zfm
