#pragma once

#include "link/status_reply.h"

#include <QDateTime>

#include <array>
#include <optional>
#include <string_view>

namespace zfm {

// One decoded status reply as the store keeps it: each value as the reply
// gave it, without its unit; empty where the item was missing or unreadable.
struct TelemetrySample {
    QDateTime time;
    std::optional<int> alarmMask;
    std::optional<double> forwardW;
    std::optional<double> reflectedW;
    std::optional<double> exciterTempC;
    std::optional<double> amplifierTempC;
    std::optional<double> exciterCurrentA;
    std::optional<double> amplifierCurrentA;
    std::optional<double> exciterVoltageV;
    std::optional<double> amplifierVoltageV;
    std::optional<int> audioLevel;
    std::optional<int> frequencyKHz;
};

TelemetrySample telemetryFromReply(const StatusReply &reply, const QDateTime &time);

// The leading decimal number of a reported value ("12.5W", " 31C", "0,3W");
// nothing when the text does not start with one.
std::optional<double> reportedNumber(const QString &text);

// The measured values the history charts show, with their column in the store.
enum class Measure {
    ForwardPower,
    ReflectedPower,
    ExciterTemperature,
    AmplifierTemperature,
    AmplifierCurrent,
    AmplifierVoltage
};
struct MeasureInfo {
    Measure measure;
    std::string_view column;
    std::string_view caption;
    std::string_view unit;
    std::optional<double> TelemetrySample::*field;
};
// Chosen here: the order the charts draw them in.
inline constexpr std::array<MeasureInfo, 6> kMeasures = {{
    {Measure::ForwardPower, "forward_w", "Forward power", "W", &TelemetrySample::forwardW},
    {Measure::ReflectedPower, "reflected_w", "Reflected power", "W", &TelemetrySample::reflectedW},
    {Measure::ExciterTemperature, "exciter_temp_c", "Exciter temperature", "\u00b0C", &TelemetrySample::exciterTempC},
    {Measure::AmplifierTemperature, "amplifier_temp_c", "Amplifier temperature", "\u00b0C",
        &TelemetrySample::amplifierTempC},
    {Measure::AmplifierCurrent, "amplifier_current_a", "Amplifier current", "A", &TelemetrySample::amplifierCurrentA},
    {Measure::AmplifierVoltage, "amplifier_voltage_v", "Amplifier voltage", "V", &TelemetrySample::amplifierVoltageV},
}};
static_assert(kMeasures.size() == static_cast<size_t>(Measure::AmplifierVoltage) + 1);

} // namespace zfm
