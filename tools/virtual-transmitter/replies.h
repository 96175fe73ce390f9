#pragma once

#include "device_state.h"

#include <QByteArray>

namespace zfm::vt {

// What the status reply reports beyond the device state.
struct StatusSettings {
    int alarmMask = 5; // six alarm bits, 0..63
    int audioLevel = 22; // sent as the character of code level + 48
    QString firmware = QStringLiteral("2.1");
    int powerLimitW = 50; // the model's rated power
};

inline constexpr int kReadBackLength = 3313; // characters before the closing "$"

// The answer to "FM": items each followed by ",", ended by "$", beginning with
// "AlarmCode=". Forward and reflected power and the amplifier current follow
// the output power (none in remote standby); "Freq=" is always ten characters
// (" 98.500MHz" below 100 MHz); temperatures, voltages and the exciter
// current are fixed.
QByteArray statusReply(const DeviceState &state, const StatusSettings &settings, qint64 uptimeSeconds);

// The answer to "X": every item followed by CR LF, then "$". With `badDelay`
// the value of 07PD is the letter x.
QByteArray readBackReply(const DeviceState &state, bool badDelay = false);

// The unit frequency as the status reply shows it: exactly ten characters.
QByteArray unitFrequencyText(int kHz);

} // namespace zfm::vt
