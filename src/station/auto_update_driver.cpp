#include "station/auto_update_driver.h"

#include "autoupdate/auto_update_engine.h"
#include "autoupdate/update_scripts.h"
#include "link/line_owner.h"

#include <memory>

namespace zfm {

AutoUpdateDriver::AutoUpdateDriver(LineOwner &line, AutoUpdateEngine &engine, QObject *parent)
    : QObject(parent), line_(line), engine_(engine)
{
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &AutoUpdateDriver::tick);
    connect(&line_, &LineOwner::jobsChanged, this, [this] {
        if (!late_ || !timer_.isActive() || !line_.isIdle())
            return;
        // The next tick follows a whole period after this one: two reads of
        // the files are always a second apart, however late the first.
        timer_.start();
        tick();
    });
}

void AutoUpdateDriver::start() { timer_.start(); }

void AutoUpdateDriver::stop() { timer_.stop(); }

void AutoUpdateDriver::tick()
{
    // A tick that finds the line in use is late, never dropped: it runs the
    // moment the line is free, so what it reads goes out at once and the title
    // on air is never one overtaken while its upload waited behind another.
    if (!line_.isIdle()) {
        late_ = true;
        return;
    }
    late_ = false;
    AutoUpdateTickResult r = engine_.tick(line_.has(JobKind::ReadBack));
    if (!r.message.isEmpty()) {
        emit message(r.message);
        return;
    }
    if (r.psUpload.empty()) {
        if (r.runRtPart)
            submitRtPart();
        return;
    }
    Job ps;
    ps.kind = JobKind::AutoPs;
    ps.script = [script = std::move(r.psUpload)] { return script; };
    ps.done = [this, runRt = r.runRtPart](const JobEnd &end) {
        engine_.psUploadFinished(end.completed());
        // A failed upload ends the tick: one message per failure.
        if (end.completed() && runRt)
            submitRtPart();
    };
    line_.submit(std::move(ps));
}

void AutoUpdateDriver::submitRtPart()
{
    // Whether this look at the RT file found a new line to send.
    auto sends = std::make_shared<bool>(false);
    Job rt;
    rt.kind = JobKind::AutoRt;
    rt.script = [this, sends] {
        WireScript s = rtLeadInScript();
        const WireScript upload = engine_.rtPart(line_.has(JobKind::ReadBack));
        *sends = !upload.empty();
        return s.append(upload);
    };
    rt.done = [this, sends](const JobEnd &end) {
        if (*sends)
            engine_.rtUploadFinished(end.completed());
    };
    line_.submit(std::move(rt));
}

} // namespace zfm
