// The link runner against a real pseudo-terminal: bytes, pacing, failures,
// and a window that stays live while a script runs.
#include "link/clock.h"
#include "link/encodings.h"
#include "link/link_runner.h"
#include "link/serial_link.h"
#include "settings/settings.h"
#include "support/pty_capture.h"
#include "support/wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

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
    LinkRunner::Outcome run(const WireScript &script, int timeoutMs = 30000)
    {
        std::optional<LinkRunner::Outcome> outcome;
        EXPECT_TRUE(runner.start(script, [&](LinkRunner::Outcome o) { outcome = o; }));
        EXPECT_TRUE(test::runUntil([&] { return outcome.has_value(); }, timeoutMs));
        return outcome.value_or(LinkRunner::Outcome::Failed);
    }

    test::PtyCapture capture;
    SettingsRecord record;
    ManualClock clock;
    SerialLink link{record, &record.LineSettings};
    LinkRunner runner{link, clock};
};

} // namespace

TEST_F(LinkRunnerTest, WritesTheExactFramesOnTheWire)
{
    WireScript s;
    s.open().frame(2, "FS", DecimalText(1)).frame(1, "FDP", OffsetByte(4)).frame(1, "FM", " ").frame(1, "X", {});
    ASSERT_EQ(run(s), LinkRunner::Outcome::Completed);
    ASSERT_TRUE(capture.waitForBytes(24));
    EXPECT_EQ(capture.bytes().toHex(' '),
        QByteArray::fromHex("00004653013102"
                            "00464450010802"
                            "00464d012002"
                            "00580102")
            .toHex(' '));
}

TEST_F(LinkRunnerTest, WindowStaysLiveAndASecondScriptCannotStart)
{
    WireScript s;
    s.open();
    for (int i = 0; i < 10; ++i)
        s.frame(1, "PS", "ABCDEFGH");
    int ticks = 0;
    qint64 longestGapMs = 0;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer ui;
    QObject::connect(&ui, &QTimer::timeout, [&] {
        longestGapMs = std::max(longestGapMs, sinceTick.restart());
        ++ticks;
    });
    ui.start(5);
    std::optional<LinkRunner::Outcome> outcome;
    ASSERT_TRUE(runner.start(s, [&](LinkRunner::Outcome o) { outcome = o; }));
    EXPECT_TRUE(runner.isBusy());
    EXPECT_FALSE(runner.start(WireScript().open().frame(1, "X", {})));
    sinceTick.restart();
    test::runUntil([&] { return outcome.has_value(); });
    ui.stop();
    EXPECT_FALSE(runner.isBusy());
    // A window blocked for the script would tick once; a live one keeps
    // ticking (how evenly is the benchmark's business, not this test's).
    EXPECT_GT(ticks, 20);
    EXPECT_LT(longestGapMs, 500);
}

TEST_F(LinkRunnerTest, MissingPortWritesNothingAndReportsOnce)
{
    record.COMDevice[kCom] = QStringLiteral("/dev/zfm-no-such-port");
    QSignalSpy failed(&runner, &LinkRunner::failed);
    WireScript s;
    s.open().frame(1, "FM", " ").ready();
    EXPECT_EQ(run(s), LinkRunner::Outcome::Failed);
    ASSERT_EQ(failed.count(), 1);
    const auto failure = failed.at(0).at(0).value<LinkFailure>();
    EXPECT_EQ(failure.kind, LinkFailure::Kind::PortMissing);
    EXPECT_EQ(failure.message(), kPortMissingMessage);
    test::runFor(50);
    EXPECT_TRUE(capture.bytes().isEmpty());
}

TEST_F(LinkRunnerTest, UnusablePortsAreReportedForWhatTheyAre)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plain-file"));
    QFile(file).open(QIODevice::WriteOnly);
    QSerialPort holder(capture.path());
    struct Row {
        QString path;
        LinkFailure::Kind kind;
        const char *inMessage;
    };
    std::vector<Row> rows = {
        {file, LinkFailure::Kind::NotSerial, "is not a serial port"},
        {dir.path(), LinkFailure::Kind::NotSerial, "is not a serial port"},
    };
    for (const Row &row : rows) {
        record.COMDevice[kCom] = row.path;
        QSignalSpy failed(&runner, &LinkRunner::failed);
        EXPECT_EQ(run(WireScript().open().frame(1, "FM", " ")), LinkRunner::Outcome::Failed);
        ASSERT_EQ(failed.count(), 1) << row.path.toStdString();
        const auto f = failed.at(0).at(0).value<LinkFailure>();
        EXPECT_EQ(f.kind, row.kind) << row.path.toStdString();
        EXPECT_TRUE(f.message().contains(QLatin1String(row.inMessage))) << f.message().toStdString();
        EXPECT_TRUE(f.message().contains(row.path)) << f.message().toStdString();
    }
    // A port another program holds.
    record.COMDevice[kCom] = capture.path();
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    QSignalSpy failed(&runner, &LinkRunner::failed);
    EXPECT_EQ(run(WireScript().open().frame(1, "FM", " ")), LinkRunner::Outcome::Failed);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.at(0).at(0).value<LinkFailure>().kind, LinkFailure::Kind::PortBusy);
}

TEST(LinkFailureMessages, PermissionDeniedNamesTheGroup)
{
    const LinkFailure f{LinkFailure::Kind::PermissionDenied, 5, QStringLiteral("/dev/ttyUSB0"), {}};
    EXPECT_TRUE(f.message().contains(QLatin1String("COM 5 (/dev/ttyUSB0)")));
    EXPECT_TRUE(f.message().contains(QLatin1String("dialout")));
}

TEST_F(LinkRunnerTest, LostLineStopsTheScriptAndReportsOnce)
{
    WireScript s;
    s.open();
    for (int i = 0; i < 40; ++i)
        s.frame(1, "PS", "ABCDEFGH");
    QSignalSpy failed(&runner, &LinkRunner::failed);
    std::optional<LinkRunner::Outcome> outcome;
    ASSERT_TRUE(runner.start(s, [&](LinkRunner::Outcome o) { outcome = o; }));
    ASSERT_TRUE(capture.waitForBytes(40));
    capture.pty().hangUp();
    ASSERT_TRUE(test::runUntil([&] { return outcome.has_value(); }));
    EXPECT_EQ(*outcome, LinkRunner::Outcome::Failed);
    test::runFor(100);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.at(0).at(0).value<LinkFailure>().kind, LinkFailure::Kind::LineLost);
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(runner.isBusy());
}

TEST_F(LinkRunnerTest, LineSettingsFollowTheSpeedCode)
{
    struct Row {
        int comSpeed;
        int baud;
    };
    // Codes outside 1..5 leave the line as it was (38400 after loading the settings).
    const Row rows[] = {{2, 9600}, {3, 14400}, {0, 14400}, {6, 14400}, {5, 38400}, {1, 2400}, {4, 19200}};
    for (const Row &r : rows) {
        record.COMSpeed = static_cast<int16_t>(r.comSpeed);
        ASSERT_EQ(run(WireScript().open(LineSource::ComSpeed).close()), LinkRunner::Outcome::Completed);
        // Open again to read the speed the port was given.
        ASSERT_FALSE(link.open(step::Open{}).has_value());
        EXPECT_EQ(capture.pty().baud(), r.baud) << r.comSpeed;
        link.close();
    }
}

TEST_F(LinkRunnerTest, ConfirmationHoldsTheLinkUntilAcknowledged)
{
    QSignalSpy asked(&runner, &LinkRunner::confirmationRequested);
    std::optional<LinkRunner::Outcome> outcome;
    WireScript s;
    s.open().frameHead(1, "PS00").write("QRV5260+").confirm(QStringLiteral("QRV5260+")).pause(10).write("\x02");
    ASSERT_TRUE(runner.start(s, [&](LinkRunner::Outcome o) { outcome = o; }));
    ASSERT_TRUE(capture.waitForBytes(14));
    test::runFor(300);
    EXPECT_EQ(asked.count(), 1);
    EXPECT_EQ(capture.bytes().size(), 14);
    EXPECT_TRUE(runner.isBusy());
    runner.confirm();
    ASSERT_TRUE(capture.waitForBytes(15));
    test::runFor(20);
    EXPECT_TRUE(outcome.has_value());
    EXPECT_EQ(capture.bytes().toHex(' '),
        QByteArray::fromHex("00505330300151525635323630"
                            "2b02")
            .toHex(' '));
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
    EXPECT_EQ(capture.bytes().toHex(' '),
        QByteArray::fromHex("0054494d4501"
                            "11"
                            "04"
                            "04"
                            "02")
            .toHex(' '));
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
