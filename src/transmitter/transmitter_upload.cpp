#include "transmitter/transmitter_upload.h"

#include "link/encodings.h"
#include "rds/rds_model.h"
#include "rds/store_commands.h"
#include "transmitter/frequency.h"

#include <functional>
#include <span>

namespace zfm {

namespace {

using Value = std::function<QByteArray(const SettingsRecord &)>;

// Where a row sets its status text: after the separator (the usual place),
// before its first byte, or after its frame pause.
enum class At { Inside, Before, After };

struct Row {
    int leadIn;
    const char *name;
    Value value;
    const char *status;
    double progress;
    int pauseAfterMs = 50; // from the terminator to the next frame's first byte
    At at = At::Inside;
    double progressAfter = -1; // set once the pause is over, when given
};

Value decimal(int16_t SettingsRecord::*f)
{
    return [f](const SettingsRecord &r) { return decimalText(r.*f); };
}
Value offset(int16_t SettingsRecord::*f)
{
    return [f](const SettingsRecord &r) { return offsetByte(r.*f); };
}
const Value kPower = [](const SettingsRecord &r) { return powerByte(r.TXPower); };
const Value kFrequency = [](const SettingsRecord &r) { return frequencyPair(r.TXFrequency); };
const Value kStore = [](const SettingsRecord &) { return QByteArray("0"); };

using R = SettingsRecord;

// The classic family's sequence, row by row as the transmitter documents it.
const Row kClassic[] = {
    {1, "FDP", decimal(&R::Pilot), "Setting 19kHz... 3%", 1},
    {1, "FDR", decimal(&R::Preemphasis), "Setting preemphasis... 5%", 2},
    {2, "FS", decimal(&R::TXStereo), "Setting stereo mode... 10%", 3},
    {2, "FO", kPower, "Setting output power... 20%", 4},
    {2, "FF", kFrequency, "Setting transmitter frequency... 30%", 5},
    {2, "FDE", offset(&R::AudioInput), "Setting DSP settings (AudioInput)... 40%", 6},
    {2, "FDB", offset(&R::ComLim), "Setting DSP settings (ComLim)... 50%", 7},
    {2, "FDA", offset(&R::Attack), "Setting DSP settings (Attack)... 55%", 8},
    {2, "FDD", offset(&R::Decay), "Setting DSP settings (Decay)... 60%", 9},
    {2, "FDH", offset(&R::Threshold), "Setting DSP settings (Threshold)... 65%", 10},
    {2, "FDC", offset(&R::Compression), "Setting DSP settings (Compression)... 70%", 11},
    {2, "FDI", offset(&R::Integration), "Setting DSP settings (Integration)... 75%", 12},
    {2, "FDGL", offset(&R::InputGain), "Setting DSP settings (InputGain)... 80%", 13},
    {2, "FDGR", offset(&R::InputMute), "Setting DSP settings (InputMute)... 85%", 14},
    {2, "FAT", offset(&R::TEMPAlarm), "Setting TEMP alarm... 90%", 15},
    {2, "FAS", offset(&R::SWRAlarm), "Setting SWR alarm... 92%", 16},
    {2, "FAU", offset(&R::UampAlarm), "Setting Uamp alarm... 94%", 17},
    {2, "FAC", offset(&R::IampAlarm), "Setting Iamp alarm... 96%", 18},
    {1, "FW", kStore, "Sending store settings command... 100%", 19},
};
static_assert(std::size(kClassic) == 19);

// The small family's sequence. Rows 22 to 24 are the group switches, whose
// frames carry their own pauses; their rows add the 10 + 50 ms that follow.
const Row kSmall[] = {
    {2, "FDY", offset(&R::MPXdev), "Setting MPX dev... 0%", 1, 60},
    {2, "FDX", offset(&R::RDSPilot), "Setting RDS pilot level... 0%", 1, 60},
    {2, "FDK", offset(&R::ComLim), "Setting DSP settings (ComLim)... 1%", 1, 60},
    {2, "FDE", offset(&R::AudioInput), "Setting DSP settings (AudioInput)... 1%", 1, 60},
    {1, "FDP", offset(&R::Pilot), "Setting 19kHz... 2%", 1},
    {1, "FDR", decimal(&R::Preemphasis), "Setting preemphasis... 5%", 2},
    {2, "FS", decimal(&R::TXStereo), "Setting stereo mode... 8%", 3},
    {2, "FO", kPower, "Setting output power... 10%", 4},
    {2, "FF", kFrequency, "Setting transmitter frequency... 15%", 5},
    {1, "PTY", [](const R &r) { return paddedDecimal2(r.PTY); }, "Sending PTY to RDS encoder... 20%", 5, 50,
        At::Before},
    {1, "PS", [](const R &r) { return textValue(r.PS[0]); }, "Sending PS to RDS encoder... 25%", 6},
    {1, "RT", [](const R &r) { return rtValue(r.RT); }, "Sending RT to RDS encoder... 30%", 6},
    {1, "TP", decimal(&R::TP), "Sending TP to RDS encoder... 35%", 7, 150},
    {1, "TA", decimal(&R::TA), "Sending TA to RDS encoder... 40%", 7, 60},
    {1, "MS", decimal(&R::MS), "Sending MS to RDS encoder... 45%", 8, 70},
    {1, "ECC", offset(&R::ECC), "Sending ECC to RDS encoder... 50%", 8, 60},
    {1, "AF1", [](const R &r) { return offsetByte(r.AF[1]); }, "Sending AF1 to RDS encoder... 55%", 9, 60},
    {1, "D0D3", [](const R &r) { return offsetByte(diValue(r)); }, "Sending D0-D3 to RDS encoder... 60%", 9, 60,
        At::Inside, 10},
    {1, "CCAC", [](const R &r) { return ccacValue(r); }, "Sending CCAC to RDS encoder... 65%", 10, 60},
    {1, "PREF", [](const R &r) { return paddedDecimal3(r.ProgramReference); }, "Sending PI to RDS encoder... 70%", 11,
        60, At::Before, 12},
    {1, "PWR", [](const R &r) { return flagText(r.RDSActive); }, "Sending PWR to RDS encoder... 75%", 12, 60},
    {1, "GCT", nullptr, "Sending GCT to RDS encoder... 80%", 13, 60, At::After},
    {1, "GRT", nullptr, "Sending GRT to RDS encoder... 85%", 13, 60, At::After},
    {1, "GEON", nullptr, "Sending GEON to RDS encoder... 88%", 14, 60, At::After},
    {2, "FDA", offset(&R::Attack), "Setting DSP settings (Attack)... 90%", 15},
    {2, "FDD", offset(&R::Decay), "Setting DSP settings (Decay)... 92%", 16},
    {2, "FDH", offset(&R::Threshold), "Setting DSP settings (Threshold)... 92%", 16},
    {2, "FDC", offset(&R::Compression), "Setting DSP settings (Compression)... 94%", 17},
    {2, "FDI", offset(&R::Integration), "Setting DSP settings (Integration)... 94%", 17},
    {2, "FDG", offset(&R::InputGain), "Setting DSP settings (InputGain)... 96%", 18},
    {2, "FDM", offset(&R::InputMute), "Setting DSP settings (InputMute)... 96%", 18},
    {2, "FAT", offset(&R::TEMPAlarm), "Setting TEMP alarm... 98%", 19},
    {2, "FAS", offset(&R::SWRAlarm), "Setting SWR alarm... 98%", 19},
    {2, "FAU", offset(&R::UampAlarm), "Setting Uamp alarm... 99%", 20},
    {2, "FAC", offset(&R::IampAlarm), "Setting Iamp alarm... 99%", 20},
    {1, "FW", kStore, "Sending store settings command... 100%", 21},
};
static_assert(std::size(kSmall) == 36);

void appendRow(WireScript &s, const Row &row, const SettingsRecord &r)
{
    const QString status = QString::fromLatin1(row.status);
    if (row.at == At::After) {
        // A group switch: its own frame, then the status, then 10 + 50 ms.
        const QByteArray name(row.name);
        if (name == "GCT")
            appendGctSwitch(s, r);
        else if (name == "GRT")
            appendGrtSwitch(s, r);
        else
            appendGeonSwitch(s, r);
        s.status(status, row.progress).pause(10).pause(kFramePauseMs);
        return;
    }
    if (row.at == At::Before)
        s.status(status, row.progress);
    const std::optional<step::Status> inside
        = row.at == At::Inside ? std::optional(step::Status{status, row.progress}) : std::nullopt;
    s.frameWithExtraPause(row.leadIn, row.name, row.value(r), inside, row.pauseAfterMs - kFramePauseMs);
    if (row.progressAfter >= 0)
        s.status(status, row.progressAfter);
}

WireScript transmitterUpload(std::span<const Row> rows, const SettingsRecord &r)
{
    WireScript s;
    s.pause(kWritePauseMs).open();
    for (const Row &row : rows)
        appendRow(s, row, r);
    return s.pause(kWritePauseMs).close().ready();
}

} // namespace

WireScript classicTransmitterUploadScript(const SettingsRecord &r) { return transmitterUpload(kClassic, r); }

WireScript smallFamilyUploadScript(const SettingsRecord &r) { return transmitterUpload(kSmall, r); }

} // namespace zfm
