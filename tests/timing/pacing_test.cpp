// Pauses on a real pseudo-terminal: never shorter than specified, also
// between two scripts, as the runner schedules them and as they reach the
// other end of the line.
#include "link/clock.h"
#include "link/encodings.h"
#include "link/link_runner.h"
#include "link/serial_link.h"
#include "support/pty_capture.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zfm;
using namespace std::chrono;

namespace {

struct Write {
    qint64 began, returned;
    qsizetype size;
};

} // namespace

TEST(Pacing, PausesAreNeverShorterThanSpecified)
{
    test::PtyCapture capture;
    SettingsRecord record;
    record.COMSelected = 3;
    record.COMDevice[3] = capture.path();
    ManualClock clock;
    SerialLink link(record);
    LinkRunner runner(link, clock);
    std::vector<Write> writes;
    runner.setWriteObserver([&](qint64 began, qint64 returned, const QByteArray &bytes) {
        writes.push_back({began, returned, bytes.size()});
    });

    // 30 frames with one-byte values: 10 ms after each write, 50 ms after each
    // terminator. They come in two scripts, the second started the moment the
    // first is done: the first one's last pause must still hold it off.
    WireScript first, second;
    first.open().pause(10);
    for (int i = 0; i < 30; ++i)
        (i < 15 ? first : second).frame(1, "PD", decimalText(i % 10));
    bool done = false;
    ASSERT_TRUE(runner.start(first,
        [&](LinkRunner::Outcome) { EXPECT_TRUE(runner.start(second, [&](LinkRunner::Outcome) { done = true; })); }));
    EXPECT_TRUE(runner.isBusy());
    EXPECT_FALSE(runner.start(second)) << "one script at a time";
    ASSERT_TRUE(test::runUntil([&] { return done; }, 30000));
    ASSERT_TRUE(capture.waitForBytes(30 * 6));
    ASSERT_EQ(writes.size(), 30u * 5);
    auto specifiedAfter = [](size_t write) { return (write % 5) == 4 ? 50.0 : 10.0; };

    // As scheduled: from the moment a write returned to the start of the next.
    for (size_t i = 0; i + 1 < writes.size(); ++i)
        EXPECT_GE((writes[i + 1].began - writes[i].returned) / 1e6, specifiedAfter(i)) << "after write " << i;

    // As received on the other end. The kernel hands pseudo-terminal data to
    // the reader through a worker that a busy machine delays by milliseconds,
    // sometimes two writes at once, so single gaps there are noise; what the
    // pauses guarantee shows in the median of each kind of gap.
    const auto chunks = capture.chunks();
    std::vector<std::optional<steady_clock::time_point>> arrived(writes.size());
    size_t write = 0;
    qsizetype pending = 0;
    for (const auto &c : chunks) {
        pending += c.bytes.size();
        bool first = true;
        while (write < writes.size() && pending >= writes[write].size) {
            pending -= writes[write].size;
            if (first)
                arrived[write] = c.at; // later writes in the same read have no time of their own
            first = false;
            ++write;
        }
    }
    ASSERT_EQ(write, writes.size());
    std::vector<std::pair<double, double>> gaps; // measured, specified
    for (size_t i = 0; i + 1 < writes.size(); ++i) {
        if (arrived[i] && arrived[i + 1])
            gaps.push_back({duration<double, std::milli>(*arrived[i + 1] - *arrived[i]).count(), specifiedAfter(i)});
    }
    for (const double kind : {10.0, 50.0}) {
        std::vector<double> ofKind;
        for (const auto &[gap, specified] : gaps)
            if (specified == kind && gap >= 0)
                ofKind.push_back(gap);
        std::sort(ofKind.begin(), ofKind.end());
        EXPECT_GE(ofKind[ofKind.size() / 2], kind) << "median of the " << kind << " ms gaps";
    }
}
