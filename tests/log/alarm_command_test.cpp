// The alarm command: what it is told, how often it starts, and what happens
// when it cannot start, fails or runs too long - with real programs (sh).
#include "link/clock.h"
#include "log/alarm_command.h"
#include "support/printers.h"
#include "support/wait.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zfm;
using namespace zfm::test;

namespace {

const QDateTime kStart(QDate(2026, 3, 7), QTime(2, 0, 0));

class AlarmCommandTest : public ::testing::Test {
protected:
    AlarmCommandTest()
    {
        // A script in a folder with a blank in its name, told where to write.
        const QString folder = dir.filePath(QStringLiteral("alarm scripts"));
        QDir().mkpath(folder);
        script = folder + QStringLiteral("/notify.sh");
        QFile f(script);
        f.open(QIODevice::WriteOnly);
        f.write("#!/bin/sh\n"
                "for v in ZFM_ALARM ZFM_FORWARD_W ZFM_REFLECTED_W ZFM_STATE ZFM_TIME; do\n"
                "  printf '%s=%s\\n' \"$v\" \"$(printenv \"$v\")\" >> \"$1\"\n"
                "done\n"
                "echo --- >> \"$1\"\n");
        f.close();
        out = dir.filePath(QStringLiteral("told.txt"));
        // Arguments are quoted with double quotes, as QProcess::splitCommand reads them.
        commandLine = QStringLiteral("sh \"%1\" \"%2\"").arg(script, out);
        QObject::connect(&command, &AlarmCommand::problem, [this](const QString &p) { problems << p; });
    }

    // Raised with both powers; cleared without the forward one.
    void notify(const char *alarm, bool raised)
    {
        const std::optional<double> forward = raised ? std::optional(12.5) : std::nullopt;
        command.notify(
            commandLine, AlarmNotice{QLatin1String(alarm), raised, forward, raised ? 3.1 : 0.4, clock.now()});
    }
    // What the script was told, one start per entry.
    QStringList told() const
    {
        QFile f(out);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList starts = QString::fromUtf8(f.readAll()).split(QStringLiteral("---\n"), Qt::SkipEmptyParts);
        for (QString &s : starts)
            s = s.trimmed();
        return starts;
    }
    bool waitForStarts(int n)
    {
        return runUntil([&] { return told().size() >= n && command.runningCount() == 0; }, 10000);
    }

    QTemporaryDir dir;
    QString script;
    QString out;
    QString commandLine;
    ManualClock clock{kStart};
    AlarmCommand command{clock};
    QStringList problems;
};

} // namespace

// At most one start per alarm per minute. A change within the minute waits
// for its end, and goes out only when the alarm's state then differs from
// what the command was last told. The command is told the alarm through its
// environment, as documented: the lamp's caption, the state, the two powers
// (empty when not reported) and the time, ISO 8601 local with its offset -
// for a held change, the moment it happened.
TEST_F(AlarmCommandTest, EachAlarmIsToldThroughTheEnvironmentAtMostOnceAMinute)
{
    struct Step {
        int atSeconds;
        const char *alarm; // nullptr: only the once-a-few-seconds check
        bool raised;
        int startsAfter;
    };
    const Step steps[] = {
        {0, "SWR ALARM", true, 1},
        {10, "SWR ALARM", false, 1}, // held back
        {20, "T AMP ALARM", true, 2}, // another alarm has its own minute
        {59, nullptr, false, 2},
        {61, nullptr, false, 3}, // the SWR alarm's clearing goes out now
        {70, "SWR ALARM", true, 3}, // held back: within the minute of the last start
        {80, "SWR ALARM", false, 3}, // and cleared again: the command already knows
        {125, nullptr, false, 3},
        {130, "SWR ALARM", true, 4},
    };
    for (const Step &s : steps) {
        clock.set(kStart.addSecs(s.atSeconds));
        if (s.alarm)
            notify(s.alarm, s.raised);
        else
            command.tick();
        ASSERT_TRUE(waitForStarts(s.startsAfter)) << s.atSeconds;
        runFor(30);
        EXPECT_EQ(told().size(), s.startsAfter) << s.atSeconds;
    }
    const QStringList starts = told();
    const std::tuple<int, QString, QDateTime> expected[] = {
        {0, QStringLiteral("ZFM_ALARM=SWR ALARM\nZFM_FORWARD_W=12.5\nZFM_REFLECTED_W=3.1\nZFM_STATE=raised\n"), kStart},
        {2, QStringLiteral("ZFM_ALARM=SWR ALARM\nZFM_FORWARD_W=\nZFM_REFLECTED_W=0.4\nZFM_STATE=cleared\n"),
            kStart.addSecs(10)},
    };
    const QRegularExpression time(
        QStringLiteral("ZFM_TIME=(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d)$"));
    for (const auto &[i, variables, at] : expected) {
        EXPECT_TRUE(starts[i].startsWith(variables)) << starts[i].toStdString();
        const QRegularExpressionMatch m = time.match(starts[i]);
        ASSERT_TRUE(m.hasMatch()) << starts[i].toStdString();
        EXPECT_EQ(QDateTime::fromString(m.captured(1), Qt::ISODate), at);
    }
    EXPECT_TRUE(problems.isEmpty()) << problems.join('|').toStdString();
}

// A command that cannot start, fails or runs over its time is put in the
// log, never waited for. (A blank one, the default, starts nothing: the
// station log's alarm test would see its report.)
TEST_F(AlarmCommandTest, FailuresAreReportedAndNothingWaits)
{
    struct Case {
        const char *alarm;
        QString commandLine;
        const char *said;
        bool starts;
    };
    const Case cases[] = {
        {"T AMP ALARM", dir.filePath(QStringLiteral("no such program")), "could not be started", false},
        {"T EXC ALARM", QStringLiteral("sh -c \"echo mail server down >&2; exit 3\""),
            "ended with exit code 3: mail server down", true},
        {"U AMP ALARM", QStringLiteral("sleep 30"), "ran for more than 0.2 s and was stopped", true},
    };
    command.setTimeLimitMs(200);
    for (const Case &c : cases) {
        problems.clear();
        commandLine = c.commandLine;
        notify(c.alarm, true);
        // Not waited for: the end of a command that started is only seen later, from the event loop.
        if (c.starts) {
            EXPECT_TRUE(problems.isEmpty() && command.runningCount() == 1) << c.alarm;
        }
        ASSERT_TRUE(runUntil([&] { return !problems.isEmpty() && command.runningCount() == 0; }, 10000)) << c.alarm;
        EXPECT_EQ(problems.size(), 1);
        EXPECT_TRUE(problems.first().contains(QLatin1String(c.said))) << problems.first().toStdString();
        EXPECT_TRUE(problems.first().contains(QLatin1String(c.alarm))) << problems.first().toStdString();
    }
}
