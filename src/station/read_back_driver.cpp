#include "station/read_back_driver.h"

#include "autoupdate/auto_update_engine.h"
#include "link/line_owner.h"
#include "rds/read_back.h"
#include "transmitter/requests.h"

#include <QStringList>

namespace zfm {

ReadBackDriver::ReadBackDriver(LineOwner &line, SettingsRecord &record, AutoUpdateEngine &autoUpdate, QObject *parent)
    : QObject(parent), line_(line), record_(record), autoUpdate_(autoUpdate)
{
    // The operator's own choice (or the update switched off by a failure)
    // stands; the read-back gives back only what it took.
    connect(&autoUpdate_, &AutoUpdateEngine::rtUpdateChosen, this, [this] { restoreRtSwitch_ = false; });
}

void ReadBackDriver::readRds()
{
    Job job;
    job.kind = JobKind::ReadBack;
    job.attended = true;
    job.script = [this] {
        begin();
        return readBackRequestScript(record_);
    };
    job.reply = AwaitedReply{AwaitedReply::Kind::ReadBack, kWatchdogMs};
    job.onReceived = [this](int32_t count) { emit progressChanged(readBackProgress(count, kProgressMax)); };
    job.done = [this](const JobEnd &e) { end(e); };
    line_.submit(std::move(job));
}

void ReadBackDriver::begin()
{
    // The RadioText update rests while the encoder's answer streams in. The
    // rest is not stored: the operator's choice is what a restart must find.
    restoreRtSwitch_ = record_.RTSwitch == 1;
    if (restoreRtSwitch_)
        record_.RTSwitch = 0;
}

void ReadBackDriver::end(const JobEnd &e)
{
    // Given back first, so no save on the way stores the rest.
    if (restoreRtSwitch_) {
        restoreRtSwitch_ = false;
        record_.RTSwitch = 1;
    }
    QString said;
    if (e.completed()) {
        const ReadBackOutcome outcome = applyReadBack(std::get<ReadBack>(e.reply), record_);
        // The RadioText box takes the received text, and the box's rule gives it to RT.
        if (outcome.changed.testFlag(ReadBackGroup::RadioText))
            autoUpdate_.setRtBoxText(record_.RT);
        if (outcome.changed.testFlag(ReadBackGroup::DynamicPs))
            autoUpdate_.listReadBack();
        if (!outcome.rejected.empty()) {
            QStringList values;
            for (const RejectedValue &v : outcome.rejected)
                values << QStringLiteral("%1 %2").arg(v.field).arg(v.value);
            said = QStringLiteral("The transmitter reported values this program cannot show, so these settings "
                                  "were left as they were: %1.")
                       .arg(values.join(QStringLiteral(", ")));
        }
    } else if (e.outcome == JobEnd::Outcome::NoReply) {
        said = QStringLiteral("Error receiving RDS parameters.");
    }
    if (e.outcome != JobEnd::Outcome::Dropped) {
        // What came back may not be what this run last sent: the next list goes whole.
        autoUpdate_.forgetDeviceList();
        emit recordEdited();
    }
    if (!said.isEmpty())
        emit message(said);
}

} // namespace zfm
