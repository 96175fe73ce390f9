// The line owner against the virtual transmitter on a real pseudo-terminal:
// requests that coalesce, and a stray "$" that answers no request. (Exit at a
// frame boundary and a held line are drilled with the real window.)
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
    LineOwnerTest()
    {
        record.COMSelected = kCom;
        record.COMSpeed = 2; // the classic family's 9600
        record.COMDevice[kCom] = device->path();
    }

    bool idle()
    {
        return runUntil([this] { return line.isIdle(); }, 15000);
    }

    std::unique_ptr<vt::VirtualTransmitter> device = std::make_unique<vt::VirtualTransmitter>(vt::Options{});
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
    Job first;
    first.kind = JobKind::SendSettings;
    first.script = [] { return WireScript().openWithLine(QStringLiteral("9600,N,8,1"), true).frame(1, "PD10", "1"); };
    EXPECT_TRUE(line.submit(std::move(first)));
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
    EXPECT_EQ(device->state().counters.framesNamed("PTY"), 3);
    EXPECT_EQ(device->state().counters.malformed, 0);
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
