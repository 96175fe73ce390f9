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

// Gaps between consecutive reads on the master side, in milliseconds.
std::vector<double> gapsMs(const std::vector<test::PtyCapture::Chunk> &chunks)
{
    std::vector<double> gaps;
    for (size_t i = 1; i < chunks.size(); ++i)
        gaps.push_back(duration<double, std::milli>(chunks[i].at - chunks[i - 1].at).count());
    return gaps;
}

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

TEST_F(LinkRunnerTest, PausesAreNeverShorterThanSpecified)
{
    // 30 frames with one-byte values: every gap is 10 ms, 50 ms after each terminator.
    WireScript s;
    s.open().pause(10);
    for (int i = 0; i < 30; ++i)
        s.frame(1, "PD", DecimalText(i % 10));
    ASSERT_EQ(run(s), LinkRunner::Outcome::Completed);
    ASSERT_TRUE(capture.waitForBytes(30 * 6));

    const auto chunks = capture.chunks();
    // Every write is read separately because the pauses separate them.
    ASSERT_EQ(chunks.size(), 30u * 5);
    const auto gaps = gapsMs(chunks);
    std::vector<double> specified;
    for (size_t i = 0; i < gaps.size(); ++i)
        specified.push_back((i % 5) == 4 ? 50.0 : 10.0);
    // The reader side jitters by about a millisecond. A read that comes late
    // (the reader was not scheduled) makes one gap short and the one before it
    // long by as much, so a short gap must be paid back by its predecessor.
    for (size_t i = 0; i < gaps.size(); ++i) {
        if (gaps[i] >= specified[i] - 1.5)
            continue;
        ASSERT_GT(i, 0u) << "first gap " << gaps[i];
        EXPECT_GE(gaps[i - 1] + gaps[i], specified[i - 1] + specified[i] - 1.5) << "gap " << i << ": " << gaps[i];
    }
    for (const double kind : {10.0, 50.0}) {
        std::vector<double> ofKind;
        for (size_t i = 0; i < gaps.size(); ++i)
            if (specified[i] == kind)
                ofKind.push_back(gaps[i]);
        std::sort(ofKind.begin(), ofKind.end());
        EXPECT_GE(ofKind[ofKind.size() / 2], kind) << "median of the " << kind << " ms gaps";
    }
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
    // About 900 ms of pauses: a live event loop ticks well over a hundred times.
    EXPECT_GT(ticks, 100);
    EXPECT_LT(longestGapMs, 100);
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
