#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace zfm {

// Transmit frequencies are whole kHz on a 50 kHz raster within the FM band.
inline constexpr int32_t kMinFrequencyKHz = 87500;
inline constexpr int32_t kMaxFrequencyKHz = 108000;
inline constexpr int32_t kFrequencyRasterKHz = 50;

// The four step buttons: "Up 1 MHz", "Up 50KHz", "Down 50KHz", "Down 1MHz".
inline constexpr int32_t kStepUp1MHz = 500;
inline constexpr int32_t kStepUp50kHz = 50;
inline constexpr int32_t kStepDown50kHz = -50;
inline constexpr int32_t kStepDown1MHz = -500;

// Adds a step and keeps the result within the band.
int32_t stepFrequency(int32_t kHz, int32_t step);

// "100.000MHz": whole megahertz, a point, the last three digits of the kHz value.
QString frequencyText(int32_t kHz);

// Whether a stored frequency can be used as it is (in the band, on the raster).
bool isValidFrequency(int32_t kHz);

// The frequency as the transmitter takes it: N = kHz / 5, low seven bits + 4,
// then the rest + 4.
QByteArray frequencyPair(int32_t kHz);

// Output power in percent, 0..kMaxPowerPercent.
inline constexpr int kMaxPowerPercent = 100;

// Output power in percent as one byte: (p * 44) div 100 + 4.
QByteArray powerByte(int percent);

// Inverse of frequencyText: the number before the first "." times 1000 plus
// the number after it, each read like a leading numeric literal ("98.500MHz"
// gives 98500, "98.5" gives 98005). Nothing when the text has no ".".
std::optional<int32_t> frequencyFromText(const QString &text);

// The leading number of a text: blanks skipped, digits (and a sign) read up to
// the first character that cannot continue it; 0 when there is none.
double leadingNumber(const QString &text);

} // namespace zfm
