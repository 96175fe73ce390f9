#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace zfm {

// The line speeds the transmitter's jumpers offer, with the "COMSpeed" code
// that stores each (the transmitter's documentation; the code is the
// position + 1). Every list of speeds and every family's speed comes from here.
struct LineSpeed {
    int16_t comSpeed;
    int baud;
    const char *text; // as the setup window lists it
};
inline constexpr std::array<LineSpeed, 5> kLineSpeeds = {{
    {1, 2400, "2400"},
    {2, 9600, "9600"},
    {3, 14400, "14400"},
    {4, 19200, "19200"},
    {5, 38400, "38400"},
}};

// The entry of a "COMSpeed" code, or nullptr for any other code.
const LineSpeed *lineSpeedOfCode(int comSpeed);
// The entry whose text is `text` ("9600"), or nullptr.
const LineSpeed *lineSpeedOfText(const QString &text);
// Line settings of a "COMSpeed" code ("9600,N,8,1"), or empty for any other code.
QString lineSettingsForSpeed(int comSpeed);

// Each device family's speed: the classic family 9600, the small family 38400.
// Any other MODE is the classic family's upload, so its speed too.
int16_t familyComSpeed(int16_t mode);
// The speed a port search tries: the family's own, 2400 when no family is chosen.
const LineSpeed &searchLineSpeed(int16_t mode);

} // namespace zfm
