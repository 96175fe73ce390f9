// The link runner against a real pseudo-terminal: pacing between scripts,
// clock fields and failures. (That the window stays live while a script runs,
// and that the port opens at the stored speed, is proved with the real window.)
#include "link/clock.h"
#include "link/encodings.h"
#include "link/link_runner.h"
#include "link/serial_link.h"
#include "settings/settings.h"
#include "support/pty_capture.h"
#include "support/wait.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zfm;
using namespace std::chrono;

namespace {

constexpr int kCom = 3;

class LinkRunnerTest : public ::testing::Test {
protected:
    LinkRunnerTest()
    {
        record.COMSelected = kCom;
        record.COMDevice[kCom] = capture.path();
    }

    // Runs a script to its end; returns the outcome.
    LinkRunner::Outcome run(const WireScript &script)
    {
        std::optional<LinkRunner::Outcome> outcome;
        EXPECT_TRUE(runner.start(script, [&](LinkRunner::Outcome o) { outcome = o; }));
        EXPECT_TRUE(test::runUntil([&] { return outcome.has_value(); }, 30000));
        return outcome.value_or(LinkRunner::Outcome::Failed);
    }

    test::PtyCapture capture;
    SettingsRecord record;
    ManualClock clock;
    SerialLink link{record};
    LinkRunner runner{link, clock};
};

} // namespace

// A path that is not a serial port: one report naming it, and nothing written.
// (A missing port is drilled with the real window.)
TEST_F(LinkRunnerTest, NotASerialPortWritesNothingAndReportsOnce)
{
    QTemporaryDir dir;
    const QString file = record.COMDevice[kCom] = dir.filePath(QStringLiteral("plain-file"));
    QFile(file).open(QIODevice::WriteOnly);
    QSignalSpy failed(&runner, &LinkRunner::failed);
    EXPECT_EQ(run(WireScript().open().frame(1, "FM", " ").ready()), LinkRunner::Outcome::Failed);
    ASSERT_EQ(failed.count(), 1);
    const auto failure = failed.at(0).at(0).value<LinkFailure>();
    EXPECT_EQ(failure.kind, LinkFailure::Kind::NotSerial);
    EXPECT_EQ(failure.message(),
        QStringLiteral("COM 3 (%1) is not a serial port. Select another port under File > Setup. Nothing was sent.")
            .arg(file));
    const LinkFailure denied{LinkFailure::Kind::PermissionDenied, 5, QStringLiteral("/dev/ttyUSB0"), {}};
    EXPECT_TRUE(denied.message().contains(QLatin1String("COM 5 (/dev/ttyUSB0)")));
    EXPECT_TRUE(denied.message().contains(QLatin1String("dialout")));
    test::runFor(50);
    EXPECT_TRUE(capture.bytes().isEmpty());
}

TEST_F(LinkRunnerTest, ClockFieldsAreReadWhenTheyAreWritten)
{
    // A clock that moves on by an hour's last minute between its readings.
    struct SteppingClock final : Clock {
        mutable int reads = 0;
        QDateTime now() const override
        {
            return QDateTime(QDate(2026, 3, 7), QTime(13, 59, 59)).addSecs(reads++ == 0 ? 0 : 1);
        }
    } stepping;
    LinkRunner r(link, stepping);
    std::optional<LinkRunner::Outcome> outcome;
    WireScript s;
    s.open().frameHead(1, "TIME");
    s.writeClock(ClockField::Hour).pause(10).writeClock(ClockField::Minute).pause(10);
    s.writeClock(ClockField::Second).pause(10).write("\x02");
    ASSERT_TRUE(r.start(s, [&](LinkRunner::Outcome o) { outcome = o; }));
    ASSERT_TRUE(capture.waitForBytes(10));
    // The old hour with the new minute: each component is its own reading.
    EXPECT_EQ(capture.bytes().toHex(' '), QByteArray("00 54 49 4d 45 01 11 04 04 02"));
}

TEST_F(LinkRunnerTest, AScriptsLastPauseHoldsOffTheNextScript)
{
    // The first script ends on its frame pause; a second one started the
    // moment the first is done must still keep that pause on the wire.
    WireScript first;
    first.open().frame(1, "PD", "1");
    WireScript second;
    second.frame(1, "PD", "2");
    std::optional<LinkRunner::Outcome> outcome;
    ASSERT_TRUE(runner.start(first,
        [&](LinkRunner::Outcome) { EXPECT_TRUE(runner.start(second, [&](LinkRunner::Outcome o) { outcome = o; })); }));
    EXPECT_TRUE(runner.isBusy());
    EXPECT_FALSE(runner.start(second)) << "one script at a time";
    ASSERT_TRUE(test::runUntil([&] { return outcome.has_value(); }));
    ASSERT_TRUE(capture.waitForBytes(12));
    // When each byte arrived: the first script's terminator is byte 5.
    std::vector<steady_clock::time_point> at;
    for (const auto &c : capture.chunks())
        at.insert(at.end(), static_cast<size_t>(c.bytes.size()), c.at);
    ASSERT_EQ(at.size(), 12u);
    // Without the pause the two bytes arrive together; the bound leaves room
    // for the line's own delivery jitter, which grows on a busy machine.
    const double gapMs = duration<double, std::milli>(at[6] - at[5]).count();
    EXPECT_GE(gapMs, kFramePauseMs / 2);
}
