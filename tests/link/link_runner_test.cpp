// The link runner against a real pseudo-terminal: clock fields and failures.
// (Pacing is measured in the timing tests; that the window stays live while a
// script runs, and that the port opens at the stored speed, with the real window.)
#include "link/clock.h"
#include "link/link_runner.h"
#include "link/serial_link.h"
#include "support/pty_capture.h"
#include "support/wait.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zfm;

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
    EXPECT_EQ(std::pair(failure.comNumber, failure.device), std::pair(3, file));
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
