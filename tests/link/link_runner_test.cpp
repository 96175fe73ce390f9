// The link runner on a path that is not a serial port. (Pacing is measured in
// the timing tests; clock fields reach the device in the virtual transmitter's
// decoding test; a missing port, the window staying live while a script runs
// and the port opening at the stored speed are drilled with the real window.)
#include "link/clock.h"
#include "link/link_runner.h"
#include "link/serial_link.h"
#include "support/wait.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zfm;

// One report naming the path, and nothing written.
TEST(LinkRunner, NotASerialPortWritesNothingAndReportsOnce)
{
    QTemporaryDir dir;
    SettingsRecord record;
    record.COMSelected = 3;
    const QString file = record.COMDevice[3] = dir.filePath(QStringLiteral("plain-file"));
    QFile(file).open(QIODevice::WriteOnly);
    ManualClock clock;
    SerialLink link{record};
    LinkRunner runner{link, clock};
    QSignalSpy failed(&runner, &LinkRunner::failed);
    std::optional<LinkRunner::Outcome> outcome;
    ASSERT_TRUE(runner.start(WireScript().open().frame(1, "FM", " ").ready(), [&](auto o) { outcome = o; }));
    ASSERT_TRUE(test::runUntil([&] { return outcome.has_value(); }));
    EXPECT_EQ(outcome, LinkRunner::Outcome::Failed);
    ASSERT_EQ(failed.count(), 1);
    const auto failure = failed.at(0).at(0).value<LinkFailure>();
    EXPECT_EQ(failure.kind, LinkFailure::Kind::NotSerial);
    EXPECT_EQ(std::pair(failure.comNumber, failure.device), std::pair(3, file));
    test::runFor(50);
    EXPECT_EQ(QFile(file).size(), 0);
}
