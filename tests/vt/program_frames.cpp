#include "program_frames.h"

#include "link/encodings.h"
#include "rds/ps_upload.h"
#include "rds/store_commands.h"
#include "transmitter/frequency.h"

namespace zfm::test {

SettingsRecord distinctRecord()
{
    SettingsRecord r;
    r.Pilot = 7;
    r.Preemphasis = 0;
    r.TXStereo = 1;
    r.TXPower = 32;
    r.TXFrequency = 98500;
    r.AudioInput = 2;
    r.ComLim = 6;
    r.Attack = 3;
    r.Decay = 9;
    r.Threshold = 4;
    r.Compression = 2;
    r.Integration = 1;
    r.InputGain = 5;
    r.InputMute = 1;
    r.TEMPAlarm = 2;
    r.SWRAlarm = 3;
    r.UampAlarm = 7;
    r.IampAlarm = 11;
    r.RDSPilot = 3;
    r.MPXdev = 12;
    r.RDSActive = false;
    r.CountryCode = 15;
    r.AreaCoverage = 14;
    r.ProgramReference = 7;
    r.PTY = 5;
    r.TP = 1;
    r.TA = 1;
    r.MS = 1;
    r.DId = {1, 0, 1, 0};
    r.AF = {0, 1, 204, 0, 0, 0, 0, 0};
    r.AFNum = 2;
    r.ECC = 20;
    r.GCT = 1;
    r.GRT = 1;
    r.GEON = 1;
    r.RT = QStringLiteral("Now on air: Café del Mar");
    for (int n = 0; n < kMessages; ++n)
        r.MG[n] = QStringLiteral("Message %1").arg(n);
    for (int i = 0; i < kPsEntries; ++i) {
        r.PS[i] = QStringLiteral("PS %1").arg(i).leftJustified(8);
        r.PSDelay[i] = static_cast<int16_t>((i * 7) % 10);
    }
    return r;
}

WireScript classicFrames(const SettingsRecord &r)
{
    WireScript s;
    s.open();
    s.frame(1, "FDP", DecimalText(r.Pilot)).frame(1, "FDR", DecimalText(r.Preemphasis));
    s.frame(2, "FS", DecimalText(r.TXStereo)).frame(2, "FO", PowerByte(r.TXPower));
    s.frame(2, "FF", FrequencyPair(r.TXFrequency)).frame(2, "FDE", OffsetByte(r.AudioInput));
    s.frame(2, "FDB", OffsetByte(r.ComLim)).frame(2, "FDA", OffsetByte(r.Attack)).frame(2, "FDD", OffsetByte(r.Decay));
    s.frame(2, "FDH", OffsetByte(r.Threshold)).frame(2, "FDC", OffsetByte(r.Compression));
    s.frame(2, "FDI", OffsetByte(r.Integration)).frame(2, "FDGL", OffsetByte(r.InputGain));
    s.frame(2, "FDGR", OffsetByte(r.InputMute)).frame(2, "FAT", OffsetByte(r.TEMPAlarm));
    s.frame(2, "FAS", OffsetByte(r.SWRAlarm)).frame(2, "FAU", OffsetByte(r.UampAlarm));
    s.frame(2, "FAC", OffsetByte(r.IampAlarm)).frame(1, "FW", "0");
    s.frame(1, "PWR", FlagText(r.RDSActive)).frame(1, "CCAC", PaddedDecimal3(16 * r.CountryCode + r.AreaCoverage));
    s.frame(1, "PREF", PaddedDecimal3(r.ProgramReference)).frame(1, "PTY", PaddedDecimal2(r.PTY));
    s.frame(1, "TP", DecimalText(r.TP)).frame(1, "TA", DecimalText(r.TA));
    SendGCT(s, r);
    SendGRT(s, r);
    SendGEON(s, r);
    s.frame(1, "MS", DecimalText(r.MS));
    for (int i = 0; i < 4; ++i)
        s.frame(1, "Did" + QByteArray::number(i), DecimalText(r.DId[i]));
    s.frame(1, "AF0", OffsetByte(224 + r.AFNum));
    for (int i = 1; i <= 7; ++i)
        s.frame(1, "AF" + QByteArray::number(i), OffsetByte(r.AF[i]));
    s.frame(1, "RT", Text((r.RT + QString(66, QChar(0x0D))).left(64)));
    s.frame(1, "PS00", Text(r.PS[0])).frame(1, "ECC", OffsetByte(r.ECC));
    SendSaveCommand(s);
    for (int n = 0; n < kMessages; ++n)
        s.frame(1, "MG" + QByteArray::number(n), Text(r.MG[n] + QChar(0x0D)));
    s.append(dynamicPsFrames(r));
    s.frameHead(1, "TIME").writeClock(ClockField::Hour).writeClock(ClockField::Minute);
    s.writeClock(ClockField::Second).write(QByteArray(1, kTerminator));
    s.frameHead(1, "DATE").writeClock(ClockField::Year).writeClock(ClockField::Month);
    s.writeClock(ClockField::Day).write(QByteArray(1, kTerminator));
    return s;
}

WireScript smallFrames(const SettingsRecord &r)
{
    WireScript s;
    s.open();
    s.frame(2, "FDY", OffsetByte(r.MPXdev)).frame(2, "FDX", OffsetByte(r.RDSPilot));
    s.frame(2, "FDK", OffsetByte(r.ComLim)).frame(2, "FDE", OffsetByte(r.AudioInput));
    s.frame(1, "FDP", OffsetByte(r.Pilot)).frame(1, "FDR", DecimalText(r.Preemphasis));
    s.frame(2, "FS", DecimalText(r.TXStereo)).frame(2, "FO", PowerByte(r.TXPower));
    s.frame(2, "FF", FrequencyPair(r.TXFrequency)).frame(1, "PTY", PaddedDecimal2(r.PTY));
    s.frame(1, "PS", Text(r.PS[0])).frame(1, "RT", Text((r.RT.trimmed() + QString(3, QChar(0x0D))).left(64)));
    s.frame(1, "TP", DecimalText(r.TP)).frame(1, "TA", DecimalText(r.TA)).frame(1, "MS", DecimalText(r.MS));
    s.frame(1, "ECC", OffsetByte(r.ECC)).frame(1, "AF1", OffsetByte(r.AF[1]));
    s.frame(1, "D0D3", OffsetByte(r.DId[0] + 2 * r.DId[1] + 4 * r.DId[2] + 8 * r.DId[3]));
    s.frame(1, "CCAC", PaddedDecimal3(16 * r.CountryCode + r.AreaCoverage));
    s.frame(1, "PREF", PaddedDecimal3(r.ProgramReference)).frame(1, "PWR", FlagText(r.RDSActive));
    SendGCT(s, r);
    SendGRT(s, r);
    SendGEON(s, r);
    s.frame(2, "FDA", OffsetByte(r.Attack)).frame(2, "FDD", OffsetByte(r.Decay));
    s.frame(2, "FDH", OffsetByte(r.Threshold)).frame(2, "FDC", OffsetByte(r.Compression));
    s.frame(2, "FDI", OffsetByte(r.Integration)).frame(2, "FDG", OffsetByte(r.InputGain));
    s.frame(2, "FDM", OffsetByte(r.InputMute)).frame(2, "FAT", OffsetByte(r.TEMPAlarm));
    s.frame(2, "FAS", OffsetByte(r.SWRAlarm)).frame(2, "FAU", OffsetByte(r.UampAlarm));
    s.frame(2, "FAC", OffsetByte(r.IampAlarm)).frame(1, "FW", "0");
    return s;
}

} // namespace zfm::test
