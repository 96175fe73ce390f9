#include "station/auto_update_driver.h"

#include "autoupdate/auto_update_engine.h"
#include "autoupdate/update_scripts.h"
#include "link/line_owner.h"

#include <QDir>

#include <utility>

namespace zfm {

AutoUpdateDriver::AutoUpdateDriver(LineOwner &line, AutoUpdateEngine &engine, QObject *parent)
    : AutoUpdateDriver(line, engine, readTextFile, FileReader::kTimeLimitMs, parent)
{
}

AutoUpdateDriver::AutoUpdateDriver(
    LineOwner &line, AutoUpdateEngine &engine, FileReader::ReadFunction read, int readLimitMs, QObject *parent)
    : QObject(parent), line_(line), engine_(engine), reader_(std::move(read), readLimitMs)
{
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &AutoUpdateDriver::tick);
    connect(&line_, &LineOwner::jobsChanged, this, [this] {
        if (!late_ || ticking_ || !timer_.isActive() || !line_.isIdle())
            return;
        // The next tick follows a whole period after this one: two reads of
        // the files are always a second apart, however late the first.
        timer_.start();
        tick();
    });
}

void AutoUpdateDriver::start() { timer_.start(); }

void AutoUpdateDriver::stop() { timer_.stop(); }

void AutoUpdateDriver::setPaused(bool paused) { paused_ = paused; }

bool AutoUpdateDriver::readBackBusy() const { return line_.has(JobKind::ReadBack); }

void AutoUpdateDriver::tick()
{
    // A tick that finds the line in use is late, never dropped: it runs the
    // moment the line is free, so what it reads goes out at once and the title
    // on air is never one overtaken while its upload waited behind another.
    if (ticking_ || !line_.isIdle()) {
        late_ = true;
        return;
    }
    late_ = false;
    if (!engine_.readsFiles()) {
        engine_.tick(TextFile{}, readBackBusy()); // counted: reads a second apart stay consecutive
        return;
    }
    ticking_ = true;
    reader_.read(engine_.psPath(), AutoUpdateEngine::kPsReadLimit, [this](const TextFile &file) { psFileRead(file); });
}

void AutoUpdateDriver::noteRead(const TextFile &file, const QString &path)
{
    // Once per spell: a share that hangs for an hour is one message, not 3600.
    if (file.status != TextFile::Status::TimedOut) {
        hangReported_ = false;
        return;
    }
    if (std::exchange(hangReported_, true))
        return;
    emit message(QStringLiteral("The file %1 did not answer within %2 s (a network share that does not respond?). "
                                "The automatic update goes on and reads it again every second.")
                     .arg(QDir::toNativeSeparators(path))
                     .arg(reader_.timeLimitMs() / 1000.0));
}

void AutoUpdateDriver::psFileRead(const TextFile &file)
{
    noteRead(file, engine_.psPath());
    AutoUpdateTickResult r = engine_.tick(file, readBackBusy());
    if (!r.message.isEmpty()) {
        emit message(r.message);
        endTick();
        return;
    }
    // What the line is owed went out meanwhile, or is going: this tick's
    // decision is taken again by the next one.
    if (line_.has(JobKind::AutoPs) || line_.has(JobKind::AutoRt)) {
        endTick();
        return;
    }
    if (!r.sendPs || paused_) {
        if (r.runRtPart)
            rtPart();
        else
            endTick();
        return;
    }
    if (!r.runRtPart)
        sendPs({});
    else if (engine_.changedOnly())
        rtPart([this] { sendPs({}); }); // one frame: it waits for no list
    else
        sendPs([this] { rtPart(); });
}

void AutoUpdateDriver::sendPs(std::function<void()> then)
{
    // Built when the job begins: what the device holds is known best then.
    const bool queued = submitUpload(
        JobKind::AutoPs, [this] { return engine_.owedPsUpload(); },
        [this, then = std::move(then)](bool completed) {
            engine_.psUploadFinished(completed);
            // A failed upload ends the tick: one message per failure.
            if (completed && then)
                then();
            else
                endTick();
        });
    if (!queued)
        endTick();
}

bool AutoUpdateDriver::submitUpload(
    JobKind kind, std::function<WireScript()> script, std::function<void(bool completed)> done)
{
    Job job;
    job.kind = kind;
    job.script = std::move(script);
    job.done = [done = std::move(done)](const JobEnd &end) { done(end.completed()); };
    return line_.submit(std::move(job));
}

void AutoUpdateDriver::rtPart(std::function<void()> then)
{
    reader_.read(engine_.rtPath(), AutoUpdateEngine::kRtReadLimit, [this, then](const TextFile &file) {
        noteRead(file, engine_.rtPath());
        if (paused_) {
            engine_.rtPart(file, readBackBusy()); // the RT box follows the file
            endTick();
            return;
        }
        // Whether this look at the RT file found a new line to send.
        auto sends = std::make_shared<bool>(false);
        const bool queued = submitUpload(
            JobKind::AutoRt,
            [this, sends, file] {
                WireScript s = rtLeadInScript();
                const WireScript upload = engine_.rtPart(file, readBackBusy());
                *sends = !upload.empty();
                return s.append(upload);
            },
            [this, sends, then](bool completed) {
                if (*sends)
                    engine_.rtUploadFinished(completed);
                if (completed && then)
                    then();
                else
                    endTick();
            });
        if (!queued)
            endTick();
    });
}

void AutoUpdateDriver::sendOwed()
{
    if (WireScript rt = engine_.owedRtUpload(); !rt.empty()) {
        submitUpload(
            JobKind::AutoRt, [rt = std::move(rt)] { return rt; }, [this](bool c) { engine_.rtUploadFinished(c); });
    }
    if (engine_.sendsList()) {
        submitUpload(
            JobKind::AutoPs, [this] { return engine_.owedPsUpload(); },
            [this](bool c) { engine_.psUploadFinished(c); });
    }
}

void AutoUpdateDriver::endTick()
{
    ticking_ = false;
    if (late_ && timer_.isActive() && line_.isIdle()) {
        timer_.start();
        tick();
    }
}

} // namespace zfm
