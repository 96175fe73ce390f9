#include "link/status_reply.h"

#include "link/windows1252.h"

#include <algorithm>

namespace zfm {

namespace {

// Status items whose value runs from just after the label up to the next ",".
struct CommaItem {
    std::string_view label;
    QString StatusReply::*field;
};
constexpr std::array<CommaItem, 12> kCommaItems = {{
    {"Pfwd=", &StatusReply::outputPower},
    {"Pref=", &StatusReply::reflectedPower},
    {"Texc=", &StatusReply::exciterTemperature},
    {"Tamp=", &StatusReply::amplifierTemperature},
    {"Iexc=", &StatusReply::exciterCurrent},
    {"Iamp=", &StatusReply::amplifierCurrent},
    {"Uexc=", &StatusReply::exciterVoltage},
    {"Uamp=", &StatusReply::amplifierVoltage},
    {"Uptime=", &StatusReply::uptime},
    {"Firmware=", &StatusReply::firmware},
    {"PowerLimit=", &StatusReply::txModel},
    {"AlarmCode=", &StatusReply::alarmCode},
}};

constexpr std::string_view kFrequencyLabel = "Freq=";
constexpr size_t kFrequencyLength = 10;
constexpr std::string_view kAudioLabel = "Audio=";
constexpr int kAudioMax = 100;

QString text(std::string_view bytes) { return fromWindows1252(QByteArray(bytes.data(), qsizetype(bytes.size()))); }

// Where the value of a label starts: just after its first occurrence, or, for
// a missing label, as if it began one character before the buffer.
size_t valueStart(std::string_view buffer, std::string_view label)
{
    const size_t at = buffer.find(label);
    return at == std::string_view::npos ? label.size() - 1 : at + label.size();
}

// From the value's start up to the next ","; no "," means no value.
std::string_view commaValue(std::string_view buffer, std::string_view label)
{
    const size_t start = valueStart(buffer, label);
    if (start > buffer.size())
        return {};
    const size_t comma = buffer.find(',', start);
    return comma == std::string_view::npos ? std::string_view{} : buffer.substr(start, comma - start);
}

} // namespace

std::optional<AlarmLampStates> alarmLampsFor(std::string_view code)
{
    if (code.size() != 2 || code[0] < '0' || code[0] > '9' || code[1] < '0' || code[1] > '9')
        return std::nullopt;
    const int mask = (code[0] - '0') * 10 + (code[1] - '0');
    constexpr int kRemoteBit = 32;
    if (mask > 63)
        return std::nullopt;
    AlarmLampStates states{};
    for (size_t i = 0; i < kAlarmLamps.size(); ++i) {
        const int bit = kAlarmLamps[i].bit;
        // With the remote bit set the unit is on standby and the other alarms mean nothing.
        states[i] = (mask & kRemoteBit) ? bit == kRemoteBit : (mask & bit) != 0;
    }
    return states;
}

StatusReply decodeStatusReply(std::string_view buffer)
{
    StatusReply reply;
    for (const CommaItem &item : kCommaItems)
        reply.*item.field = text(commaValue(buffer, item.label));

    const size_t frequency = valueStart(buffer, kFrequencyLabel);
    if (frequency < buffer.size())
        reply.unitFrequency = text(buffer.substr(frequency, kFrequencyLength));

    reply.alarmLamps = alarmLampsFor(commaValue(buffer, "AlarmCode="));

    const size_t audio = valueStart(buffer, kAudioLabel);
    if (audio < buffer.size()) {
        const int level = static_cast<unsigned char>(buffer[audio]) - '0';
        reply.audioLevel = std::clamp(level, 0, kAudioMax);
    }
    return reply;
}

} // namespace zfm
