// An operator at work during automation: the real window against the virtual
// transmitter with "Auto read TX" on, the automatic PS/RT update following a
// title file rewritten every few seconds and a scheme due every minute, while
// a seeded random operator uses whatever the window offers. The invariants it
// checks are listed with the operator (tools/drill). ZFM_OPERATOR_SEED repeats
// a run; a failing run names its seed.
#include "e2e/live_window.h"
#include "operator_run.h"
#include "playout.h"
#include "scheduler/scheme_line.h"
#include "support/wait.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace zfm;
using namespace zfm::test;

namespace {

constexpr int kRunMs = 35 * 1000;
constexpr int kMeanGapMs = 350;
constexpr int kTitleEveryMs = 3000;

quint32 runSeed()
{
    bool ok = false;
    const quint32 given = qEnvironmentVariable("ZFM_OPERATOR_SEED").toUInt(&ok);
    return ok ? given : QRandomGenerator::global()->generate();
}

// Schemes for this minute and the next two, each a frequency of its own.
std::vector<SchemeEntry> schemesFromNow()
{
    std::vector<SchemeEntry> list;
    const QDateTime now = QDateTime::currentDateTime();
    for (int m = 0; m < 3; ++m) {
        const QTime at = now.addSecs(60 * m).time();
        SchemeParts p;
        p.hour = static_cast<int16_t>(at.hour());
        p.minute = static_cast<int16_t>(at.minute());
        p.frequencyKHz = 95000 + 100 * m;
        p.power = static_cast<int16_t>(40 + m);
        list.push_back({schemeLine(p), true});
    }
    return list;
}

} // namespace

using OperatorAtWork = LiveWindow;

TEST_F(OperatorAtWork, InvariantsHoldWhileARandomOperatorUsesTheWindow)
{
    const quint32 seed = runSeed();
    SCOPED_TRACE(QStringLiteral("seed %1 (ZFM_OPERATOR_SEED=%1 repeats this run)").arg(seed).toStdString());
    QTemporaryDir playoutDir;
    drill::Playout playout(playoutDir.filePath(QStringLiteral("nowplaying.txt")), nullptr, kTitleEveryMs);
    playout.start();
    vt::Options o;
    o.family = vt::Family::Small;
    auto &dev = useDevice(o);
    storeAll({{"AutoRead", "True"}, {"AutoPS", "1"}, {"RTSwitch", "1"}, {"AutoPSPath", playout.path()},
        {"AutoRTPath", playout.path()}, {"SchemeEnable", "1"}});
    start();
    station().record().schemeList = schemesFromNow();
    station().save();

    drill::OperatorRun run(*window, dev, seed, kMeanGapMs);
    run.start();
    runFor(kRunMs);
    run.stop();
    playout.stop();
    ASSERT_TRUE(runUntil([&] { return run.settled() && dev.repliesDone(); }, 90000)) << run.summary().toStdString();
    runFor(200); // the last reply's characters reach the program
    run.checkAtRest();
    std::printf("%s\n", qPrintable(run.summary()));

    EXPECT_TRUE(run.violations().isEmpty()) << run.violations().join(QLatin1Char('\n')).toStdString();
    EXPECT_GT(run.counters().actions, 40);
    EXPECT_GT(run.counters().jobs, 10);
    exitProgram();
}
