// The line owner against the virtual transmitter on a real pseudo-terminal:
// one job at a time, requests that coalesce, replies that reach the request
// that asked, speed changes between jobs, and exit at a frame boundary.
#include "link/clock.h"
#include "link/encodings.h"
#include "link/line_owner.h"
#include "support/printers.h"
#include "support/pty_capture.h"
#include "support/wait.h"
#include "transmitter/requests.h"
#include "virtual_transmitter.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zfm;
using namespace zfm::test;

namespace {

constexpr int kCom = 3;

class LineOwnerTest : public ::testing::Test {
protected:
    explicit LineOwnerTest(vt::Options options = {})
    {
        device = std::make_unique<vt::VirtualTransmitter>(options);
        record.COMSelected = kCom;
        record.COMSpeed = 2; // the classic family's 9600
        record.COMDevice[kCom] = device->path();
        QObject::connect(&line, &LineOwner::jobStarted, [this](JobKind kind) { started.push_back(kind); });
    }

    // A job that writes `frames` one-byte "PD" frames; `ends` records how it ended.
    Job frames(JobKind kind, int count, std::vector<JobEnd::Outcome> *ends = nullptr, const QString &line = {})
    {
        Job job;
        job.kind = kind;
        job.script = [count, line] {
            WireScript s;
            s.openWithLine(line.isEmpty() ? QStringLiteral("9600,N,8,1") : line, true);
            for (int i = 0; i < count; ++i)
                s.frame(1, "PD" + QByteArray::number(10 + i % 90), decimalText(i % 10));
            return s;
        };
        job.done = [ends](const JobEnd &end) {
            if (ends)
                ends->push_back(end.outcome);
        };
        return job;
    }
    int framesNamed(const char *name) const { return device->state().counters.framesNamed(name); }
    bool idle(int timeoutMs = 15000)
    {
        return runUntil([this] { return line.isIdle(); }, timeoutMs);
    }

    std::unique_ptr<vt::VirtualTransmitter> device;
    SettingsRecord record;
    ManualClock clock;
    LineOwner line{record, clock};
    std::vector<JobKind> started;
};

} // namespace

// A request of a kind already waiting is dropped; one asked for while the same
// kind runs waits once. Whatever waited builds its script when it begins.
TEST_F(LineOwnerTest, RequestsOfAWaitingKindCoalesceAndScriptsAreBuiltWhenTheyBegin)
{
    std::vector<JobEnd::Outcome> ends;
    int built = 0;
    QByteArray value = "01";
    auto counted = [&] {
        Job job;
        job.kind = JobKind::SendRtAndPs;
        job.script = [&] {
            ++built;
            return WireScript().open().frame(1, "PTY", value);
        };
        job.done = [&](const JobEnd &e) { ends.push_back(e.outcome); };
        return job;
    };
    EXPECT_TRUE(line.submit(frames(JobKind::SendSettings, 3)));
    EXPECT_TRUE(line.submit(counted())); // waits behind the first
    EXPECT_FALSE(line.submit(counted())); // the same kind already waits
    EXPECT_FALSE(line.submit(counted()));
    value = "07"; // changed while it waits: the change goes out
    ASSERT_TRUE(idle());
    EXPECT_EQ(built, 1);
    EXPECT_EQ(ends, std::vector<JobEnd::Outcome>{JobEnd::Outcome::Completed});
    EXPECT_EQ(device->state().rds.pty, 7);

    // Asked for again while it runs: once more afterwards, and no more.
    EXPECT_TRUE(line.submit(counted()));
    EXPECT_TRUE(line.isRunning(JobKind::SendRtAndPs));
    EXPECT_TRUE(line.submit(counted()));
    EXPECT_FALSE(line.submit(counted()));
    ASSERT_TRUE(idle());
    EXPECT_EQ(built, 3);
    EXPECT_EQ(framesNamed("PTY"), 3);
    EXPECT_EQ(device->state().counters.malformed, 0);
}

// A speed change goes to the line when the job on it has ended, before what
// waited behind that job; the running script keeps its speed to its last byte.
TEST_F(LineOwnerTest, ASpeedChangeWaitsForTheRunningJobAndGoesBeforeTheWaitingOnes)
{
    const QString fast = QStringLiteral("38400,N,8,1");
    ASSERT_TRUE(line.submit(frames(JobKind::SendRtAndPs, 12, nullptr, fast)));
    Job waiting;
    waiting.kind = JobKind::TestFrequency;
    waiting.script = [] { return WireScript().open().frame(1, "PTY", "03"); };
    ASSERT_TRUE(line.submit(std::move(waiting)));
    ASSERT_TRUE(runUntil([&] { return device->state().counters.total >= 3; }));
    Job slow;
    slow.kind = JobKind::LineSpeed;
    slow.first = true;
    slow.script = [] { return WireScript().lineSettings(QStringLiteral("9600,N,8,1")); };
    ASSERT_TRUE(line.submit(std::move(slow)));
    ASSERT_TRUE(idle());

    EXPECT_EQ(started, (std::vector{JobKind::SendRtAndPs, JobKind::LineSpeed, JobKind::TestFrequency}));
    std::vector<std::pair<QString, int>> heard;
    for (const vt::LogEntry &e : device->state().log)
        heard.emplace_back(e.text.left(4), e.baud);
    ASSERT_EQ(heard.size(), 13u);
    for (size_t i = 0; i < 12; ++i)
        EXPECT_EQ(heard[i].second, 38400) << i;
    EXPECT_EQ(heard.back(), std::make_pair(QStringLiteral("PTY "), 9600));
    EXPECT_EQ(line.lineSettings(), QStringLiteral("9600,N,8,1"));
}

// Exit stops the running job where a frame ends and drops what waits (each
// told so); only the jobs of exit itself run afterwards.
TEST_F(LineOwnerTest, ExitStopsAtAFrameBoundaryAndDropsWhatWaits)
{
    for (int afterFrames : {1, 4, 9}) {
        SCOPED_TRACE(afterFrames);
        const int before = device->state().counters.total;
        std::vector<JobEnd::Outcome> ends;
        LineOwner owner(record, clock);
        ASSERT_TRUE(owner.submit(frames(JobKind::SendRtAndPs, 40, &ends)));
        ASSERT_TRUE(owner.submit(frames(JobKind::AutoPs, 5, &ends)));
        ASSERT_TRUE(runUntil([&] { return device->state().counters.total >= before + afterFrames; }));
        owner.beginExit();
        EXPECT_FALSE(owner.submit(frames(JobKind::TestPower, 1)));
        Job close;
        close.kind = JobKind::PortClose;
        close.exitPath = true;
        close.script = [] { return WireScript().close(); };
        close.done = [&](const JobEnd &e) { ends.push_back(e.outcome); };
        ASSERT_TRUE(owner.submit(std::move(close)));
        ASSERT_TRUE(runUntil([&] { return owner.isIdle(); }));
        EXPECT_FALSE(owner.isPortOpen());
        EXPECT_EQ(ends, (std::vector{JobEnd::Outcome::Dropped, JobEnd::Outcome::Stopped, JobEnd::Outcome::Completed}));
        runFor(100);
        EXPECT_EQ(device->state().counters.malformed, 0);
        EXPECT_LT(device->state().counters.total, before + 40);
    }
}

// A request takes the reply it asked for; a stray "$" is not that reply;
// silence ends it after its watchdog. The status line rests afterwards.
TEST_F(LineOwnerTest, RepliesGoToTheRequestThatAsked)
{
    std::vector<JobEnd> ends;
    auto request = [&](AwaitedReply::Kind kind, std::function<WireScript()> script) {
        Job job;
        job.kind = kind == AwaitedReply::Kind::Status ? JobKind::StatusRequest : JobKind::ReadBack;
        job.script = std::move(script);
        job.reply = AwaitedReply{kind, 300};
        job.done = [&](const JobEnd &e) { ends.push_back(e); };
        return job;
    };
    QStringList statuses;
    QObject::connect(&line, &LineOwner::statusChanged, [&](const QString &text) { statuses << text; });

    ASSERT_TRUE(line.submit(request(AwaitedReply::Kind::Status, [] { return statusRequestScript(); })));
    ASSERT_TRUE(line.submit(request(AwaitedReply::Kind::ReadBack, [this] { return readBackRequestScript(record); })));
    ASSERT_TRUE(idle());
    ASSERT_EQ(ends.size(), 2u);
    ASSERT_TRUE(ends[0].completed());
    EXPECT_EQ(std::get<StatusReply>(ends[0].reply).unitFrequency, QStringLiteral("100.000MHz"));
    ASSERT_TRUE(ends[1].completed());
    EXPECT_TRUE(std::holds_alternative<ReadBack>(ends[1].reply));
    EXPECT_EQ(statuses.last(), QStringLiteral("Ready"));

    // Another line where a lone "$" arrives, then nothing.
    ends.clear();
    PtyCapture other;
    record.COMDevice[kCom] = other.path();
    ASSERT_TRUE(line.submit(request(AwaitedReply::Kind::ReadBack, [] {
        WireScript s;
        return s.close().open().write(commandFrame(1, "X", {}));
    })));
    ASSERT_TRUE(other.waitForBytes(4));
    other.reply("$");
    runFor(150);
    EXPECT_TRUE(ends.empty());
    ASSERT_TRUE(idle());
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].outcome, JobEnd::Outcome::NoReply);
}

// The setup window's job holds the line until it is let go; nothing else
// writes meanwhile.
TEST_F(LineOwnerTest, AHeldLineIsReleasedByItsOwner)
{
    Job hold;
    hold.kind = JobKind::Setup;
    hold.holdsLine = true;
    hold.script = [] { return WireScript().close(); };
    ASSERT_TRUE(line.submit(std::move(hold)));
    ASSERT_TRUE(line.submit(frames(JobKind::TestPower, 1)));
    runFor(300);
    EXPECT_TRUE(line.isRunning(JobKind::Setup));
    EXPECT_EQ(device->state().counters.total, 0);
    line.release(JobKind::Setup);
    ASSERT_TRUE(idle());
    EXPECT_EQ(device->state().counters.total, 1);
}
