#pragma once

#include "link/wire_script.h"
#include "settings/settings_record.h"

namespace zfm {

// The status request "FM": the port closed and reopened on "COMSelected" with
// its line settings as they are, the frame with 10 ms after each write but the
// last, then "Ready" at once (the reply is not awaited here).
WireScript statusRequestScript();

// The two one-touch tests: 103.000 MHz ("103") and 32 % power ("32%"). One
// frame each on the port as it is; nothing stored, no "Ready" afterwards.
WireScript frequencyTestScript();
WireScript powerTestScript();

// The RDS read-back request "X", at the line speed of "COMSpeed".
WireScript readBackRequestScript(const SettingsRecord &record);

inline constexpr int32_t kTestFrequencyKHz = 103000;
inline constexpr int kTestPowerPercent = 32;

} // namespace zfm
