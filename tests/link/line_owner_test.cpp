// The line owner against the virtual transmitter on a real pseudo-terminal:
// one job at a time, requests that coalesce, a stray "$" that answers no
// request, exit at a frame boundary, and a held line.
#include "link/clock.h"
#include "link/encodings.h"
#include "link/line_owner.h"
#include "support/printers.h"
#include "support/pty_capture.h"
#include "support/wait.h"
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
    }

    // A job that writes `frames` one-byte "PD" frames; `ends` records how it ended.
    Job frames(JobKind kind, int count, std::vector<JobEnd::Outcome> *ends = nullptr)
    {
        Job job;
        job.kind = kind;
        job.script = [count] {
            WireScript s;
            s.openWithLine(QStringLiteral("9600,N,8,1"), true);
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

// Exit stops the running job where a frame ends and drops what waits (each
// told so); only the jobs of exit itself run afterwards.
TEST_F(LineOwnerTest, ExitStopsAtAFrameBoundaryAndDropsWhatWaits)
{
    std::vector<JobEnd::Outcome> ends;
    ASSERT_TRUE(line.submit(frames(JobKind::SendRtAndPs, 40, &ends)));
    ASSERT_TRUE(line.submit(frames(JobKind::AutoPs, 5, &ends)));
    ASSERT_TRUE(runUntil([&] { return device->state().counters.total >= 4; }));
    line.beginExit();
    EXPECT_FALSE(line.submit(frames(JobKind::TestPower, 1)));
    Job close;
    close.kind = JobKind::PortClose;
    close.exitPath = true;
    close.script = [] { return WireScript().close(); };
    close.done = [&](const JobEnd &e) { ends.push_back(e.outcome); };
    ASSERT_TRUE(line.submit(std::move(close)));
    ASSERT_TRUE(idle());
    EXPECT_FALSE(line.isPortOpen());
    EXPECT_EQ(ends, (std::vector{JobEnd::Outcome::Dropped, JobEnd::Outcome::Stopped, JobEnd::Outcome::Completed}));
    runFor(100);
    EXPECT_EQ(device->state().counters.malformed, 0);
    EXPECT_LT(device->state().counters.total, 40);
}

// A request takes the reply it asked for: a stray "$" is not that reply, and
// silence ends it after its watchdog.
TEST_F(LineOwnerTest, AStrayDollarIsNotTheReplyAskedFor)
{
    std::vector<JobEnd> ends;
    PtyCapture other;
    record.COMDevice[kCom] = other.path();
    Job job;
    job.kind = JobKind::ReadBack;
    job.script = [] { return WireScript().close().open().write(commandFrame(1, "X", {})); };
    job.reply = AwaitedReply{AwaitedReply::Kind::ReadBack, 300};
    job.done = [&](const JobEnd &e) { ends.push_back(e); };
    ASSERT_TRUE(line.submit(std::move(job)));
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
