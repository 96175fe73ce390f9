// Each fault mode as the program meets it on a real line. Cutting the line
// after some frames is drilled end to end with the real window.
#include "device_fixture.h"

#include <QElapsedTimer>

using namespace zfm;
using namespace zfm::test;

namespace {

enum class Ask { Status, ReadBack };

struct FaultRow {
    const char *name;
    vt::Faults faults;
    Ask ask;
};

class FaultMode : public DeviceOnLink, public ::testing::WithParamInterface<FaultRow> { };

} // namespace

TEST_P(FaultMode, ReplyIsSpoiledAsTheFaultSays)
{
    const FaultRow &row = GetParam();
    vt::Options o;
    o.family = vt::Family::Small; // 38400: a read-back takes under a second
    o.faults = row.faults;
    start(o);
    std::vector<qint64> arrivals;
    QElapsedTimer clockOnLine;
    clockOnLine.start();
    QObject::connect(&link, &SerialLink::received, [&](char) { arrivals.push_back(clockOnLine.elapsed()); });

    WireScript s;
    s.open().frame(1, row.ask == Ask::Status ? "FM" : "X", row.ask == Ask::Status ? " " : "");
    ASSERT_EQ(run(withoutPauses(s)), LinkRunner::Outcome::Completed);
    ASSERT_TRUE(waitForFrames(1));
    ASSERT_TRUE(waitForReplies(20000));
    runFor(200); // anything still to come would show now
    const QByteArray normal
        = row.ask == Ask::Status ? vt::statusReply(state(), o.status, 0) : vt::readBackReply(state());
    const vt::Faults &f = row.faults;

    if (f.silent) {
        EXPECT_TRUE(received.isEmpty());
        EXPECT_EQ(state().counters.unansweredRequests, 1);
    } else if (f.noDollar) {
        EXPECT_EQ(received, normal.chopped(1));
    } else if (f.stall) {
        EXPECT_EQ(received, normal.left(normal.size() / 2));
    } else if (f.garbage) {
        ASSERT_GT(received.size(), normal.size());
        EXPECT_TRUE(received.endsWith(normal));
        EXPECT_FALSE(received.left(received.size() - normal.size()).contains('$'));
        EXPECT_FALSE(received.startsWith("Alarm"));
    } else if (f.badDelay) {
        QByteArray spoiled = normal;
        spoiled[spoiled.indexOf("07PD=") + 5] = 'x';
        EXPECT_EQ(received, spoiled);
    } else if (f.slow) {
        EXPECT_EQ(received, normal);
        int longGaps = 0;
        for (size_t i = 1; i < arrivals.size(); ++i)
            longGaps += arrivals[i] - arrivals[i - 1] >= f.gapMs / 2 ? 1 : 0;
        EXPECT_EQ(longGaps, (normal.size() - 1) / f.gapEvery);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultMode,
    ::testing::Values(FaultRow{"silent", {.silent = true}, Ask::Status},
        FaultRow{"noDollar", {.noDollar = true}, Ask::Status},
        FaultRow{"stallReadBack", {.stall = true}, Ask::ReadBack}, FaultRow{"garbage", {.garbage = true}, Ask::Status},
        FaultRow{"badDelay", {.badDelay = true}, Ask::ReadBack},
        FaultRow{"slow", {.slow = true, .gapMs = 300, .gapEvery = 60}, Ask::Status}),
    [](const auto &info) { return std::string(info.param.name); });
