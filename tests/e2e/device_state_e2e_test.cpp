// After "Send settings" and "Send RT and PS" the virtual transmitter holds
// exactly what the settings record says, for both families.
#include "rds/rds_model.h"
#include "support/wait.h"
#include "support/window_fixture.h"
#include "transmitter/frequency.h"
#include "transmitter/transmitter_tables.h"

#include <QPushButton>

using namespace zfm;
using namespace zfm::test;

namespace {

// Settings that differ from the defaults everywhere the device can tell.
void unusualSettings(SettingsRecord &r)
{
    r.TXFrequency = 98750;
    r.TXPower = 63;
    r.TXStereo = 1;
    for (const TransmitterList &l : transmitterLists())
        r.*(l.field) = static_cast<int16_t>(l.labels.size() - 1 - (l.defaultPosition == int(l.labels.size() - 1)));
    r.CountryCode = 13;
    r.AreaCoverage = 7;
    r.ProgramReference = 201;
    r.PTY = 26;
    r.TP = 1;
    r.TA = 1;
    r.MS = 1;
    r.DId = {0, 1, 1, 0};
    r.AF = {0, 12, 34, 56, 0, 0, 0, 0};
    r.ECC = 11;
    r.GCT = 1;
    r.GRT = 1;
    r.GEON = 0;
    r.RDSActive = false;
    r.RT = QStringLiteral("Good morning from the test studio");
    for (int m = 0; m < kMessages; ++m)
        r.MG[m] = QStringLiteral("Emergency message %1").arg(m + 1);
    for (int i = 0; i < kPsEntries; ++i) {
        r.PS[i] = QStringLiteral("Entry %1").arg(i).leftJustified(8).left(8);
        r.PSDelay[i] = static_cast<int16_t>((i * 3) % 10);
    }
}

class DeviceStateTest : public WindowTest {
protected:
    void sendAll(bool small)
    {
        vt::Options o;
        o.family = small ? vt::Family::Small : vt::Family::Classic;
        useDevice(o);
        start();
        boxes.setAnswerDelayMs(50);
        unusualSettings(window->station().record());
        click("cmdSendSettings");
        ASSERT_TRUE(runUntil([&] { return find<QPushButton>("cmdSendSettings")->isEnabled(); }, 20000));
        click("cmdSendRTPS");
        ASSERT_TRUE(runUntil([&] { return find<QPushButton>("cmdSendRTPS")->isEnabled(); }, 40000));
        ASSERT_EQ(device->state().counters.malformed, 0);
    }
};

} // namespace

TEST_F(DeviceStateTest, ClassicFamilyHoldsTheWholeRecord)
{
    sendAll(false);
    const SettingsRecord &r = window->station().record();
    const vt::DeviceState &d = device->state();
    EXPECT_EQ(d.transmitter.frequencyKHz, r.TXFrequency);
    // Power travels as 45 steps; the byte is what the device got.
    EXPECT_EQ(d.transmitter.powerByte, static_cast<unsigned char>(PowerByte(r.TXPower)[0]));
    EXPECT_EQ(d.transmitter.stereo, r.TXStereo);
    const std::pair<int, int16_t> lists[] = {
        {d.transmitter.pilot, r.Pilot},
        {d.transmitter.preemphasis, r.Preemphasis},
        {d.transmitter.audioInput, r.AudioInput},
        {d.transmitter.comLim, r.ComLim},
        {d.transmitter.attack, r.Attack},
        {d.transmitter.decay, r.Decay},
        {d.transmitter.threshold, r.Threshold},
        {d.transmitter.compression, r.Compression},
        {d.transmitter.integration, r.Integration},
        {d.transmitter.inputGain, r.InputGain},
        {d.transmitter.inputMute, r.InputMute},
        {d.transmitter.tempAlarm, r.TEMPAlarm},
        {d.transmitter.swrAlarm, r.SWRAlarm},
        {d.transmitter.uampAlarm, r.UampAlarm},
        {d.transmitter.iampAlarm, r.IampAlarm},
    };
    for (size_t i = 0; i < std::size(lists); ++i)
        EXPECT_EQ(lists[i].first, lists[i].second) << "list " << i;
    EXPECT_EQ(d.rds.active, r.RDSActive);
    EXPECT_EQ(d.rds.countryCode, r.CountryCode);
    EXPECT_EQ(d.rds.areaCoverage, r.AreaCoverage);
    EXPECT_EQ(d.rds.programReference, r.ProgramReference);
    EXPECT_EQ(d.rds.pty, r.PTY);
    EXPECT_EQ(d.rds.tp, r.TP);
    EXPECT_EQ(d.rds.ta, r.TA);
    EXPECT_EQ(d.rds.ms, r.MS);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(d.rds.did[k], r.DId[k]) << k;
    EXPECT_EQ(d.rds.afCount, 3);
    for (int k = 1; k <= 7; ++k)
        EXPECT_EQ(d.rds.af[k], r.AF[k]) << k;
    EXPECT_EQ(d.rds.ecc, r.ECC);
    EXPECT_EQ(d.rds.gct, r.GCT);
    EXPECT_EQ(d.rds.grt, r.GRT);
    EXPECT_EQ(d.rds.geon, r.GEON);
    EXPECT_EQ(d.rds.rt, r.RT.toLatin1());
    for (int m = 0; m < kMessages; ++m)
        EXPECT_EQ(d.rds.mg[m], r.MG[m].toLatin1()) << m;
    for (int i = 0; i < kPsEntries; ++i) {
        EXPECT_EQ(d.rds.ps[i], r.PS[i].toLatin1()) << i;
        EXPECT_EQ(d.rds.psDelay[i], r.PSDelay[i]) << i;
    }
}

TEST_F(DeviceStateTest, SmallFamilyHoldsItsItems)
{
    sendAll(true);
    const SettingsRecord &r = window->station().record();
    const vt::DeviceState &d = device->state();
    EXPECT_EQ(d.transmitter.frequencyKHz, r.TXFrequency);
    // Power travels as 45 steps; the byte is what the device got.
    EXPECT_EQ(d.transmitter.powerByte, static_cast<unsigned char>(PowerByte(r.TXPower)[0]));
    EXPECT_EQ(d.transmitter.mpxDev, r.MPXdev);
    EXPECT_EQ(d.transmitter.rdsPilot, r.RDSPilot);
    EXPECT_EQ(d.transmitter.pilot, r.Pilot);
    EXPECT_EQ(d.transmitter.comLim, r.ComLim);
    EXPECT_EQ(d.rds.did, (std::array<int, 4>{0, 1, 1, 0}));
    EXPECT_EQ(d.rds.af[1], r.AF[1]);
    EXPECT_EQ(d.rds.pty, r.PTY);
    EXPECT_EQ(d.rds.countryCode, r.CountryCode);
    EXPECT_EQ(d.rds.active, r.RDSActive);
    EXPECT_EQ(d.rds.rt, r.RT.toLatin1());
    for (int i = 0; i < kPsEntries; ++i)
        EXPECT_EQ(d.rds.ps[i], r.PS[i].toLatin1()) << i;
    EXPECT_TRUE(boxes.texts().isEmpty());
}
