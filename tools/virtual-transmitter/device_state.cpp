#include "device_state.h"

#include "link/windows1252.h"
#include "settings/settings_record.h"

namespace zfm::vt {

QString familyName(Family family)
{
    return family == Family::Small ? QStringLiteral("small") : QStringLiteral("classic");
}

int familyBaud(Family family) { return family == Family::Small ? 38400 : 9600; }

DeviceState DeviceState::factory()
{
    const SettingsRecord defaults;
    DeviceState s;
    TransmitterState &t = s.transmitter;
    t.frequencyKHz = defaults.TXFrequency;
    t.powerPercent = defaults.TXPower;
    t.powerByte = defaults.TXPower * 44 / 100 + 4;
    t.pilot = defaults.Pilot;
    t.preemphasis = defaults.Preemphasis;
    t.stereo = defaults.TXStereo;
    t.audioInput = defaults.AudioInput;
    t.comLim = defaults.ComLim;
    t.attack = defaults.Attack;
    t.decay = defaults.Decay;
    t.threshold = defaults.Threshold;
    t.compression = defaults.Compression;
    t.integration = defaults.Integration;
    t.inputGain = defaults.InputGain;
    t.inputMute = defaults.InputMute;
    t.rdsPilot = defaults.RDSPilot;
    t.mpxDev = defaults.MPXdev;
    t.tempAlarm = defaults.TEMPAlarm;
    t.swrAlarm = defaults.SWRAlarm;
    t.uampAlarm = defaults.UampAlarm;
    t.iampAlarm = defaults.IampAlarm;

    RdsState &r = s.rds;
    r.active = defaults.RDSActive;
    r.countryCode = defaults.CountryCode;
    r.areaCoverage = defaults.AreaCoverage;
    r.programReference = defaults.ProgramReference;
    r.pty = defaults.PTY;
    r.tp = defaults.TP;
    r.ta = defaults.TA;
    r.ms = defaults.MS;
    for (int i = 0; i < 4; ++i)
        r.did[i] = defaults.DId[i];
    for (int i = 1; i <= kAfCount; ++i)
        r.af[i] = defaults.AF[i];
    r.afCount = 1;
    r.ecc = defaults.ECC;
    r.gct = defaults.GCT;
    r.grt = defaults.GRT;
    r.geon = defaults.GEON;
    r.rt = toWindows1252(defaults.RT);
    for (int i = 0; i < kPsCount; ++i) {
        r.ps[i] = toWindows1252(defaults.PS[i]);
        r.psDelay[i] = defaults.PSDelay[i];
    }
    for (int i = 0; i < kMessageCount; ++i)
        r.mg[i] = toWindows1252(defaults.MG[i]);
    return s;
}

int Counters::framesNamed(const QByteArray &name) const
{
    const auto it = frames.find(name);
    return it == frames.end() ? 0 : it->second;
}

void DeviceState::addLog(LogEntry entry)
{
    log.push_back(std::move(entry));
    while (log.size() > kLogLimit)
        log.pop_front();
}

} // namespace zfm::vt
