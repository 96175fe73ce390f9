// Frames written by the program's own encoders through the real serial link
// and runner, decoded by the virtual transmitter on a pseudo-terminal.
#include "device_fixture.h"
#include "program_frames.h"

#include "link/encodings.h"
#include "rds/ps_upload.h"
#include "rds/store_commands.h"
#include "support/wait.h"
#include "transmitter/frequency.h"

using namespace zfm;
using namespace zfm::test;

namespace {

int frameCount(const WireScript &s) { return static_cast<int>(s.bytes().count(kTerminator)); }

struct Check {
    const char *what;
    long long want;
    long long got;
};

class Decoding : public DeviceOnLink, public ::testing::WithParamInterface<vt::Family> { };

} // namespace

TEST_P(Decoding, EveryValueTheProgramSendsLandsInTheDeviceState)
{
    const vt::Family family = GetParam();
    vt::Options o;
    o.family = family;
    start(o);
    const SettingsRecord r = distinctRecord();
    const bool small = family == vt::Family::Small;
    const WireScript script = withoutPauses(small ? smallFrames(r) : classicFrames(r));
    ASSERT_EQ(run(script), LinkRunner::Outcome::Completed);
    ASSERT_TRUE(waitForFrames(frameCount(script)));

    const vt::DeviceState &s = state();
    const vt::DeviceState factory = vt::DeviceState::factory();
    const auto &t = s.transmitter;
    const auto &rds = s.rds;
    std::vector<Check> checks = {
        {"pilot", r.Pilot, t.pilot},
        {"preemphasis", r.Preemphasis, t.preemphasis},
        {"stereo", r.TXStereo, t.stereo},
        {"power", r.TXPower, t.powerPercent},
        {"power byte", 18, t.powerByte},
        {"frequency", r.TXFrequency, t.frequencyKHz},
        {"audio input", r.AudioInput, t.audioInput},
        {"compressor/limiter", r.ComLim, t.comLim},
        {"attack", r.Attack, t.attack},
        {"decay", r.Decay, t.decay},
        {"threshold", r.Threshold, t.threshold},
        {"compression", r.Compression, t.compression},
        {"integration", r.Integration, t.integration},
        {"input gain", r.InputGain, t.inputGain},
        {"input mute", r.InputMute, t.inputMute},
        {"temperature alarm", r.TEMPAlarm, t.tempAlarm},
        {"SWR alarm", r.SWRAlarm, t.swrAlarm},
        {"Uamp alarm", r.UampAlarm, t.uampAlarm},
        {"Iamp alarm", r.IampAlarm, t.iampAlarm},
        // Only the small family sets these two.
        {"RDS pilot", small ? r.RDSPilot : factory.transmitter.rdsPilot, t.rdsPilot},
        {"MPX deviation", small ? r.MPXdev : factory.transmitter.mpxDev, t.mpxDev},
        {"RDS active", r.RDSActive, rds.active},
        {"country", r.CountryCode, rds.countryCode},
        {"area", r.AreaCoverage, rds.areaCoverage},
        {"programme reference", r.ProgramReference, rds.programReference},
        {"PTY", r.PTY, rds.pty},
        {"TP", r.TP, rds.tp},
        {"TA", r.TA, rds.ta},
        {"MS", r.MS, rds.ms},
        {"ECC", r.ECC, rds.ecc},
        {"GCT", r.GCT, rds.gct},
        {"GRT", r.GRT, rds.grt},
        {"GEON", r.GEON, rds.geon},
        {"AF1", r.AF[1], rds.af[1]},
        {"malformed", 0, s.counters.malformed},
        {"wrong speed", 0, s.counters.wrongSpeedFrames},
        {"frames", frameCount(script), s.counters.total},
    };
    for (int i = 0; i < 4; ++i)
        checks.push_back({"decoder bit", r.DId[i], rds.did[i]});
    if (!small) {
        checks.push_back({"AF count", r.AFNum, rds.afCount});
        checks.push_back({"AF2", r.AF[2], rds.af[2]});
        checks.push_back({"AF3 (empty)", 0, rds.af[3]});
        checks.push_back({"stores", 1, s.counters.frames.at("FW")});
        checks.push_back({"saves", 1, s.counters.frames.at("SAVE")});
        checks.push_back({"hour", 14, s.clock.hour});
        checks.push_back({"minute", 5, s.clock.minute});
        checks.push_back({"second", 9, s.clock.second});
        checks.push_back({"year", 2026, s.clock.year});
        checks.push_back({"month", 3, s.clock.month});
        checks.push_back({"day", 7, s.clock.day});
        for (int i = 0; i < kPsEntries; ++i)
            checks.push_back({"delay", r.PSDelay[i], rds.psDelay[i]});
    }
    for (const Check &c : checks)
        EXPECT_EQ(c.got, c.want) << c.what;

    // Texts: carriage returns that pad RT and messages are not part of the text.
    EXPECT_EQ(rds.rt, Text(r.RT));
    EXPECT_EQ(rds.ps[0], Text(r.PS[0]));
    if (!small) {
        for (int i = 0; i < kPsEntries; ++i)
            EXPECT_EQ(rds.ps[i], Text(r.PS[i])) << i;
        for (int n = 0; n < kMessages; ++n)
            EXPECT_EQ(rds.mg[n], Text(r.MG[n])) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, Decoding, ::testing::Values(vt::Family::Classic, vt::Family::Small),
    [](const auto &info) { return vt::familyName(info.param).toStdString(); });

TEST_F(DeviceOnLink, AFrameHeldBeforeItsTerminatorCompletesWhenItEnds)
{
    // As "Send settings" holds the static PS while the operator reads it.
    start(vt::Options{});
    WireScript s;
    s.open().frameHead(1, "PS00").write("HELD PS ").pause(10).confirm(QStringLiteral("HELD PS "));
    s.write(QByteArray(1, kTerminator)).pause(50).frame(1, "PD00", "4");
    bool asked = false;
    QObject::connect(&runner, &LinkRunner::confirmationRequested, [&] { asked = true; });
    std::optional<LinkRunner::Outcome> outcome;
    ASSERT_TRUE(runner.start(s, [&](LinkRunner::Outcome o) { outcome = o; }));
    ASSERT_TRUE(runUntil([&] { return asked; }));
    runFor(300);
    EXPECT_EQ(state().counters.total, 0);
    EXPECT_EQ(state().rds.ps[0], vt::DeviceState::factory().rds.ps[0]);
    runner.confirm();
    ASSERT_TRUE(runUntil([&] { return outcome.has_value(); }));
    ASSERT_TRUE(waitForFrames(2));
    EXPECT_EQ(state().rds.ps[0], QByteArray("HELD PS "));
    EXPECT_EQ(state().rds.psDelay[0], 4);
    EXPECT_EQ(state().counters.malformed, 0);
}

TEST_F(DeviceOnLink, MalformedFramesAreCountedAndTheNextFrameStillDecodes)
{
    start(vt::Options{});
    // Each broken frame is followed by a good one that sets its own delay.
    const std::vector<QByteArray> broken = {
        QByteArray("\x00ZZ\x01"
                   "1\x02",
            6), // unknown command
        QByteArray("\x00\x00"
                   "FO\x01\x40\x02",
            7), // power byte beyond 100 %
        QByteArray("\x00PTY\x01"
                   "5\x02",
            7), // PTY needs two digits
        QByteArray("\x00"
                   "CCAC\x01"
                   "49\x02",
            9), // CCAC needs three digits
        QByteArray("\x00PS08\x01"
                   "NINE CHRS\x02",
            16), // PS longer than 8
        QByteArray("\x00PD01\x01"
                   "12\x02",
            9), // delay of two digits
        QByteArray("\x00"
                   "FM\x01\x02",
            5), // status request without its blank
        QByteArray("\x00"
                   "AF0\x01\x04\x02",
            7), // not an AF count code
        QByteArray("\x00TIME\x01\x1c\x04\x02", 9), // two clock bytes, hour 24
        QByteArray("\x00"
                   "FDGLX\x01\x04\x02",
            9), // name of five characters
        QByteArray("\x00"
                   "F-\x01\x04\x02",
            6), // bad character in the name
        QByteArray("\x00\x01"
                   "1\x02",
            4), // no name
        QByteArray("\x00"
                   "FS\x01"
                   "1",
            5), // cut off: the next lead-in comes first
        QByteArray("junk\x02", 5), // bytes outside a frame
    };
    WireScript s;
    s.open();
    for (size_t i = 0; i < broken.size(); ++i)
        s.write(broken[i]).frame(1, "PD" + PaddedDecimal2(static_cast<int>(i + 10)), DecimalText(9));
    ASSERT_EQ(run(withoutPauses(s)), LinkRunner::Outcome::Completed);
    const int n = static_cast<int>(broken.size());
    ASSERT_TRUE(waitForFrames(2 * n));
    EXPECT_EQ(state().counters.malformed, n);
    EXPECT_EQ(state().counters.total, n);
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(state().rds.psDelay[i + 10], 9) << "good frame after broken frame " << i;
    // Nothing the broken frames carried reached the state.
    const vt::DeviceState factory = vt::DeviceState::factory();
    EXPECT_EQ(state().transmitter.powerPercent, factory.transmitter.powerPercent);
    EXPECT_EQ(state().rds.pty, factory.rds.pty);
    EXPECT_EQ(state().rds.ps[8], factory.rds.ps[8]);
    EXPECT_EQ(state().counters.statusReplies, 0);
    int malformedInLog = 0;
    for (const vt::LogEntry &e : state().log)
        malformedInLog += e.malformed ? 1 : 0;
    EXPECT_EQ(malformedInLog, n);
}
