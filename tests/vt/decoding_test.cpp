// The program's own uploads through the real serial link and runner, decoded
// by the virtual transmitter on a pseudo-terminal, and read back; and the
// line speed the device answers at.
#include "link/clock.h"
#include "link/encodings.h"
#include "link/link_runner.h"
#include "link/serial_link.h"
#include "rds/clock_sync.h"
#include "rds/rt_ps_upload.h"
#include "support/read_back_layout.h"
#include "support/wait.h"
#include "transmitter/frequency.h"
#include "transmitter/requests.h"
#include "transmitter/send_settings.h"
#include "virtual_transmitter.h"

#include <gtest/gtest.h>

#include <memory>

using namespace zfm;
using namespace zfm::test;

namespace {

int frameCount(const WireScript &s) { return static_cast<int>(s.bytes().count(kTerminator)); }

// Every field away from its default, so a value that did not arrive shows.
SettingsRecord distinctRecord()
{
    SettingsRecord r;
    r.Pilot = 7, r.Preemphasis = 0, r.TXStereo = 1, r.TXPower = 32, r.TXFrequency = 98500, r.AudioInput = 2;
    r.ComLim = 6, r.Attack = 3, r.Decay = 9, r.Threshold = 4, r.Compression = 2, r.Integration = 1, r.InputGain = 5;
    r.InputMute = 1, r.TEMPAlarm = 2, r.SWRAlarm = 3, r.UampAlarm = 7, r.IampAlarm = 11, r.RDSPilot = 3, r.MPXdev = 12;
    r.RDSActive = false, r.CountryCode = 15, r.AreaCoverage = 14, r.ProgramReference = 7, r.PTY = 5, r.ECC = 20;
    r.TP = r.TA = r.MS = r.GCT = r.GRT = r.GEON = 1;
    r.DId = {1, 0, 1, 0};
    r.AF = {0, 1, 204, 0, 0, 0, 0, 0};
    r.RT = QStringLiteral("Now on air: Café del Mar");
    for (int n = 0; n < kMessages; ++n)
        r.MG[n] = QStringLiteral("Message %1").arg(n);
    for (int i = 0; i < kPsEntries; ++i) {
        r.PS[i] = QStringLiteral("PS %1").arg(i).leftJustified(8);
        r.PSDelay[i] = static_cast<int16_t>((i * 7) % 10);
    }
    return r;
}

// The program's side of the line (settings record, serial link, runner) and
// the virtual transmitter on the other end of a real pseudo-terminal.
class DeviceOnLink : public ::testing::Test {
protected:
    static constexpr int kCom = 7;

    // Starts the device and opens the program's line at the device's speed
    // (or at `programLine` when given).
    void start(vt::Options options, const QString &programLine = {})
    {
        options.echo = false;
        device = std::make_unique<vt::VirtualTransmitter>(options);
        ASSERT_TRUE(device->isValid());
        record.COMSelected = kCom;
        record.COMDevice[kCom] = device->path();
        link.applyLineSettings(
            programLine.isEmpty() ? QStringLiteral("%1,N,8,1").arg(options.lineBaud()) : programLine);
    }

    // Runs the script without its pauses (decoding does not depend on pacing,
    // and the suite stays fast), then waits until the device has taken
    // `frames` frames in all, well-formed or not.
    bool send(const WireScript &script, int frames)
    {
        WireScript quick;
        for (const Step &s : script.steps()) {
            if (!std::holds_alternative<step::Pause>(s))
                quick.append(s);
        }
        std::optional<LinkRunner::Outcome> outcome;
        return runner.start(quick, [&](LinkRunner::Outcome o) { outcome = o; })
            && runUntil([&] { return outcome.has_value(); }) && outcome == LinkRunner::Outcome::Completed
            && runUntil([&] { return state().counters.total + state().counters.malformed >= frames; }, 5000);
    }

    // Waits until every reply is out and has reached the program.
    bool waitForReplies()
    {
        return runUntil([&] { return device->repliesDone() && received.size() >= device->repliedCharacters(); });
    }

    const vt::DeviceState &state() const { return device->state(); }

    SettingsRecord record;
    ManualClock clock;
    SerialLink link{record};
    LinkRunner runner{link, clock};
    std::unique_ptr<vt::VirtualTransmitter> device;
    QByteArray received; // what the program received, in order
    QMetaObject::Connection receiving
        = QObject::connect(&link, &SerialLink::received, [this](char c) { received += c; });
};

struct Check {
    const char *what;
    long long want, got;
};

class Decoding : public DeviceOnLink, public ::testing::WithParamInterface<vt::Family> { };

} // namespace

TEST_P(Decoding, EveryValueTheProgramSendsLandsInTheDeviceState)
{
    const bool small = GetParam() == vt::Family::Small;
    vt::Options o;
    o.family = GetParam();
    o.baud = 38400; // the classic device jumpered to the read-back's speed
    start(o);
    SettingsRecord r = distinctRecord();
    r.COMSpeed = 5; // 38400
    r.MODE = small ? kModeSmall : r.MODE;
    WireScript script = sendSettingsScript(r, Attended::No);
    if (!small)
        script.append(sendRtAndPsScript(r)).append(synchronizeTimeScript(r));
    ASSERT_TRUE(send(script, frameCount(script)));

    const vt::DeviceState &s = state();
    const vt::DeviceState factory = vt::DeviceState::factory();
    const auto &t = s.transmitter;
    const auto &rds = s.rds;
    std::vector<Check> checks = {{"pilot", r.Pilot, t.pilot}, {"preemphasis", r.Preemphasis, t.preemphasis},
        {"stereo", r.TXStereo, t.stereo}, {"power", r.TXPower, t.powerPercent}, {"power byte", 18, t.powerByte},
        {"frequency", r.TXFrequency, t.frequencyKHz}, {"audio input", r.AudioInput, t.audioInput},
        {"compressor/limiter", r.ComLim, t.comLim}, {"attack", r.Attack, t.attack}, {"decay", r.Decay, t.decay},
        {"threshold", r.Threshold, t.threshold}, {"compression", r.Compression, t.compression},
        {"integration", r.Integration, t.integration}, {"input gain", r.InputGain, t.inputGain},
        {"input mute", r.InputMute, t.inputMute}, {"temperature alarm", r.TEMPAlarm, t.tempAlarm},
        {"SWR alarm", r.SWRAlarm, t.swrAlarm}, {"Uamp alarm", r.UampAlarm, t.uampAlarm},
        {"Iamp alarm", r.IampAlarm, t.iampAlarm},
        // Only the small family sets these two.
        {"RDS pilot", small ? r.RDSPilot : factory.transmitter.rdsPilot, t.rdsPilot},
        {"MPX deviation", small ? r.MPXdev : factory.transmitter.mpxDev, t.mpxDev},
        {"RDS active", r.RDSActive, rds.active}, {"country", r.CountryCode, rds.countryCode},
        {"area", r.AreaCoverage, rds.areaCoverage}, {"programme reference", r.ProgramReference, rds.programReference},
        {"PTY", r.PTY, rds.pty}, {"TP", r.TP, rds.tp}, {"TA", r.TA, rds.ta}, {"MS", r.MS, rds.ms},
        {"ECC", r.ECC, rds.ecc}, {"GCT", r.GCT, rds.gct}, {"GRT", r.GRT, rds.grt}, {"GEON", r.GEON, rds.geon},
        {"AF1", r.AF[1], rds.af[1]}, {"malformed", 0, s.counters.malformed},
        {"wrong speed", 0, s.counters.wrongSpeedFrames}, {"frames", frameCount(script), s.counters.total},
        {"stores", 1, s.counters.frames.at("FW")}};
    for (int i = 0; i < 4; ++i)
        checks.push_back({"decoder bit", r.DId[i], rds.did[i]});
    if (!small) {
        checks.insert(checks.end(),
            {{"AF count", 2, rds.afCount}, {"AF2", r.AF[2], rds.af[2]}, {"AF3 (empty)", 0, rds.af[3]},
                {"saves", 3, s.counters.frames.at("SAVE")}, {"hour", 14, s.clock.hour}, {"minute", 5, s.clock.minute},
                {"second", 9, s.clock.second}, {"year", 2026, s.clock.year}, {"month", 3, s.clock.month},
                {"day", 7, s.clock.day}});
    }
    for (const Check &c : checks)
        EXPECT_EQ(c.got, c.want) << c.what;
    // Texts: carriage returns that pad RT and messages are not part of the text.
    EXPECT_EQ(rds.rt, textValue(r.RT));
    EXPECT_EQ(rds.ps[0], textValue(r.PS[0]));
    if (small)
        return;

    // The read-back carries it all back in the layout the program's parser expects.
    ASSERT_TRUE(send(readBackRequestScript(r), frameCount(script) + 1));
    ASSERT_TRUE(waitForReplies());
    EXPECT_EQ(received, readBackLayout(readBackOf(r)) + '$');
    EXPECT_EQ(state().counters.readBackReplies, 1);
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, Decoding, ::testing::Values(vt::Family::Classic, vt::Family::Small),
    [](const auto &info) { return vt::familyName(info.param).toStdString(); });

// What the other tests' "no malformed frame" rests on.
TEST_F(DeviceOnLink, MalformedFramesAreCountedAndTheNextFrameStillDecodes)
{
    start(vt::Options{});
    // Each broken frame is followed by a good one that sets its own delay.
    const char *const broken[] = {
        "005a5a013102", // unknown command
        "0050533038014e494e452043485253 02", // PS longer than 8
        "00464d0102", // status request without its blank
        "004653 0131", // cut off: the next lead-in comes first
        "6a756e6b02", // bytes outside a frame
    };
    WireScript s;
    s.open();
    const int n = static_cast<int>(std::size(broken));
    for (int i = 0; i < n; ++i)
        s.write(QByteArray::fromHex(broken[i])).frame(1, "PD" + paddedDecimal2(i + 10), decimalText(9));
    ASSERT_TRUE(send(s, 2 * n));
    EXPECT_EQ(state().counters.malformed, n);
    EXPECT_EQ(state().counters.total, n);
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(state().rds.psDelay[i + 10], 9) << "good frame after broken frame " << i;
    EXPECT_EQ(state().counters.statusReplies, 0);
}

namespace {

// Device baud (0: the family's), the program's line, whether it answers.
class LineSpeed : public DeviceOnLink, public ::testing::WithParamInterface<std::tuple<int, const char *, bool>> { };

} // namespace

// Frames are taken whatever the speed, and the counter tells the wrong ones;
// only the device's own speed gets an answer. The others' "frames always at
// the family's speed" rests on this.
TEST_P(LineSpeed, OnlyTheDevicesOwnSpeedGetsAnAnswer)
{
    const auto &[deviceBaud, programLine, answered] = GetParam();
    vt::Options o;
    o.baud = deviceBaud;
    start(o, QLatin1String(programLine));
    WireScript s;
    s.open().frame(2, "FO", powerByte(50)).frame(1, "FM", " ");
    ASSERT_TRUE(send(s, 2));
    if (answered) {
        ASSERT_TRUE(waitForReplies());
        EXPECT_TRUE(received.startsWith("AlarmCode=")) << received.constData();
        EXPECT_EQ(state().counters.unansweredRequests, 0);
    } else {
        runFor(300);
        EXPECT_TRUE(received.isEmpty()) << received.constData();
        EXPECT_EQ(state().counters.unansweredRequests, 1);
        EXPECT_EQ(state().counters.wrongSpeedFrames, 2);
    }
    EXPECT_EQ(state().transmitter.powerPercent, 50);
}

// A classic device (9600 unless jumpered); the small family's speeds are
// drilled in the setup dialog's port search. 14400 is a rate the platform
// sets in its own way (not one of the standard ones).
INSTANTIATE_TEST_SUITE_P(ClassicDevice, LineSpeed,
    ::testing::Values(std::tuple(0, "38400,N,8,1", false), std::tuple(14400, "14400,N,8,1", true)));
