#pragma once

#include <QString>

#include <array>
#include <optional>
#include <string_view>

namespace zfm {

// The transmitter's six alarm lamps, in the order they are shown; the
// bit is the lamp's bit in the reply's "AlarmCode" mask.
struct AlarmLamp {
    int bit;
    std::string_view caption;
};
inline constexpr std::array<AlarmLamp, 6> kAlarmLamps = {{
    {1, "T AMP ALARM"},
    {2, "SWR ALARM"},
    {4, "T EXC ALARM"},
    {8, "I AMP ALARM"},
    {16, "U AMP ALARM"},
    {32, "REMOTE standby"},
}};
static_assert(kAlarmLamps.size() == 6);

// Lamp colours (red, green, blue): on and off.
inline constexpr std::array<int, 3> kLampOnRgb = {255, 0, 0};
inline constexpr std::array<int, 3> kLampOffRgb = {224, 224, 224};

// On/off state of each lamp of kAlarmLamps, same order.
using AlarmLampStates = std::array<bool, kAlarmLamps.size()>;

// The lamps an alarm code text asks for: "00".."31" light the lamps of the set
// bits, "32".."63" light only "REMOTE standby". Any other text (for example
// "7" or "64") gives nothing: the lamps keep their state.
std::optional<AlarmLampStates> alarmLampsFor(std::string_view code);

// A decoded status reply: every value as received, no unit conversion.
struct StatusReply {
    QString outputPower; // "Pfwd="
    QString reflectedPower; // "Pref="
    QString exciterTemperature; // "Texc="
    QString amplifierTemperature; // "Tamp="
    QString exciterCurrent; // "Iexc="
    QString amplifierCurrent; // "Iamp="
    QString exciterVoltage; // "Uexc="
    QString amplifierVoltage; // "Uamp="
    QString uptime; // "Uptime="
    QString unitFrequency; // "Freq=", exactly 10 characters
    QString firmware; // "Firmware="
    QString txModel; // "PowerLimit="
    QString alarmCode; // "AlarmCode=", the text the lamps come from
    // Empty when the alarm code is not one of "00".."63": lamps unchanged.
    std::optional<AlarmLampStates> alarmLamps;
    // 0..100; empty when the buffer has no character where the level stands:
    // the level bar keeps its value.
    std::optional<int> audioLevel;

    bool operator==(const StatusReply &) const = default;
};

// Decodes a status reply from the receive buffer (the closing "$" not
// included). A label missing from the buffer is not an error: its value is
// read as if the label began one character before the buffer's first.
StatusReply decodeStatusReply(std::string_view buffer);

// A status reply opens with its alarm code: where this label stands, the
// status reply begins.
inline constexpr std::string_view kStatusReplyStart = "AlarmCode=";

} // namespace zfm
