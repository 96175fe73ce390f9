#include "station/status_reader.h"

#include "link/line_owner.h"
#include "settings/settings_record.h"
#include "transmitter/requests.h"

namespace zfm {

StatusReader::StatusReader(LineOwner &line, const SettingsRecord &record, QObject *parent)
    : QObject(parent), line_(line), record_(record)
{
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &StatusReader::tick);
}

void StatusReader::start() { timer_.start(); }

void StatusReader::stop() { timer_.stop(); }

void StatusReader::readTx()
{
    if (line_.has(JobKind::ReadBack))
        return;
    request(record_.AutoRead);
}

void StatusReader::tick()
{
    // One request at a time: with a silent transmitter a second one would only
    // wait behind the first.
    if (!record_.AutoRead || line_.has(JobKind::ReadBack) || line_.has(JobKind::Setup)
        || line_.has(JobKind::StatusRequest))
        return;
    request(true);
}

void StatusReader::request(bool quiet)
{
    Job job;
    job.kind = JobKind::StatusRequest;
    job.script = [] { return statusRequestScript(); };
    job.reply = AwaitedReply{AwaitedReply::Kind::Status, kWatchdogMs};
    job.attended = !quiet;
    job.done = [this, quiet](const JobEnd &end) {
        if (end.completed())
            emit replyReceived(std::get<StatusReply>(end.reply));
        else if (end.outcome == JobEnd::Outcome::NoReply && !quiet)
            emit message(QStringLiteral("Error receiving Status."));
    };
    line_.submit(std::move(job));
}

} // namespace zfm
