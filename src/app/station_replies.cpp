// The station's side of the transmitter's replies: the status request and
// its watchdogs, the RDS read-back, and the receive handler that decodes both.
#include "app/station.h"

#include "transmitter/requests.h"

#include <QStringList>

namespace zfm {

namespace {
// How often a "Read RDS settings" waiting for a status reply looks again.
constexpr int kReadRdsRetryMs = 100;
// The progress bar's maximum.
constexpr int kProgressMax = 21;
} // namespace

void Station::setReady()
{
    // Another operation's own steps own the status line while it runs.
    if (!runner_.isBusy())
        emit statusChanged(QStringLiteral("Ready"), 0);
}

void Station::ReadTX()
{
    if (ReadBackBusy)
        return;
    whenLinkFree([this] {
        if (ReadBackBusy)
            return;
        StatusRequestPending = true;
        quietStatusRequest_ = record_.AutoRead;
        if (!record_.AutoRead) {
            setReadTxEnabled(false);
            timerReadTX.start();
        }
        // The automatic read has a watchdog too, but a quiet one: a silent
        // transmitter must not leave the request pending for ever, which would
        // hold "Read RDS settings" back.
        TimerStatus.start();
        runner_.start(statusRequestScript());
    });
}

void Station::timerAutoreadTick()
{
    // One request at a time: a new one would restart the quiet watchdog of the
    // one still unanswered, so with a silent transmitter the request would stay
    // pending for ever and hold "Read RDS settings" back.
    if (!record_.AutoRead || ReadBackBusy || SetupWindowOpen || StatusRequestPending)
        return;
    tickWhenLinkFree(this, autoReadWaiting_, [this] {
        if (record_.AutoRead && !SetupWindowOpen && !StatusRequestPending)
            ReadTX();
    });
}

void Station::timerReadTXTick()
{
    timerReadTX.stop();
    if (!record_.AutoRead)
        setReadTxEnabled(true);
}

void Station::TimerStatusTick()
{
    TimerStatus.stop();
    parser_.reset();
    if (!quietStatusRequest_) {
        tell(QStringLiteral("Error receiving Status."));
        if (!record_.AutoRead)
            setReadTxEnabled(true);
    }
    StatusRequestPending = false;
    setReady();
}

void Station::ReadRDS()
{
    if (StatusRequestPending) {
        // A status reply is on its way; the read-back follows as soon as it is in.
        QTimer::singleShot(kReadRdsRetryMs, this, &Station::ReadRDS);
        return;
    }
    RestoreRTSwitch = record_.RTSwitch == 1;
    if (RestoreRTSwitch)
        record_.RTSwitch = 0;
    ReadBackBusy = true;
    disableSendButtons();
    whenLinkFree([this] {
        timerRDS.start();
        runner_.start(readBackRequestScript(), [this](LinkRunner::Outcome outcome) {
            if (outcome == LinkRunner::Outcome::Completed)
                return;
            // The port could not be used: the message is out; the watchdog
            // still ends the operation.
            EnableButtons();
            ReadBackBusy = false;
        });
    });
}

void Station::timerRDSTick()
{
    timerRDS.stop();
    parser_.reset();
    tell(QStringLiteral("Error receiving RDS parameters."));
    if (RestoreRTSwitch) {
        record_.RTSwitch = 1;
        RestoreRTSwitch = false;
        save();
    }
    EnableButtons();
    ReadBackBusy = false;
    setReady();
    emit recordChanged();
}

void Station::OnReceive(char c)
{
    const FeedResult r = parser_.feed(c);
    if (const auto *status = std::get_if<StatusReply>(&r.event)) {
        emit statusReplyReceived(*status);
        TimerStatus.stop();
        StatusRequestPending = false;
    } else if (const auto *readBack = std::get_if<ReadBack>(&r.event)) {
        applyReadBackReply(*readBack);
    }
    if (r.finished())
        finishReply();
    if (r.appended) {
        if (timerRDS.isActive()) {
            timerRDS.start();
            emit progressChanged(readBackProgress(parser_.ReceiveCount(), kProgressMax));
        }
        if (TimerStatus.isActive())
            TimerStatus.start();
    }
}

void Station::finishReply()
{
    const bool wasReadBack = ReadBackBusy;
    ReadBackBusy = false;
    // A reply that ends while an upload runs leaves that upload's buttons alone.
    if (!runner_.isBusy())
        EnableButtons2();
    setReady();
    timerRDS.stop();
    if (RestoreRTSwitch) {
        record_.RTSwitch = 1;
        RestoreRTSwitch = false;
        save();
    }
    if (wasReadBack)
        emit recordChanged();
}

void Station::applyReadBackReply(const ReadBack &readBack)
{
    const ReadBackOutcome outcome = applyReadBack(readBack, record_);
    // The RadioText box takes the received text, and the box's rule gives it to RT.
    if (outcome.changed.testFlag(ReadBackGroup::RadioText))
        autoUpdate_.setRtBoxText(record_.RT);
    save();
    if (outcome.rejected.empty())
        return;
    QStringList values;
    for (const RejectedValue &v : outcome.rejected)
        values << QStringLiteral("%1 %2").arg(v.field).arg(v.value);
    tell(QStringLiteral("The transmitter reported values this program cannot show, so these settings were left as "
                        "they were: %1.")
             .arg(values.join(QStringLiteral(", "))));
}

} // namespace zfm
