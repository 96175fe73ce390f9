// A slow device on a real line: the reply comes whole, with a long gap after
// every gapEvery characters. The other fault modes are drilled against the
// real window, where each shows in what the window reports.
#include "device_fixture.h"

#include <QElapsedTimer>

using namespace zfm;
using namespace zfm::test;

TEST_F(DeviceOnLink, SlowDeviceAnswersWholeWithLongGaps)
{
    vt::Options o;
    o.family = vt::Family::Small;
    o.faults = {.slow = true, .gapMs = 300, .gapEvery = 60};
    start(o);
    std::vector<qint64> arrivals;
    QElapsedTimer clockOnLine;
    clockOnLine.start();
    QObject::connect(&link, &SerialLink::received, [&](char) { arrivals.push_back(clockOnLine.elapsed()); });

    WireScript s;
    s.open().frame(1, "FM", " ");
    ASSERT_EQ(run(withoutPauses(s)), LinkRunner::Outcome::Completed);
    ASSERT_TRUE(waitForFrames(1));
    ASSERT_TRUE(waitForReplies(20000));
    runFor(200); // anything still to come would show now
    const QByteArray normal = vt::statusReply(state(), o.status, 0);
    EXPECT_EQ(received, normal);
    int longGaps = 0;
    for (size_t i = 1; i < arrivals.size(); ++i)
        longGaps += arrivals[i] - arrivals[i - 1] >= o.faults.gapMs / 2 ? 1 : 0;
    EXPECT_EQ(longGaps, (normal.size() - 1) / o.faults.gapEvery);
}
