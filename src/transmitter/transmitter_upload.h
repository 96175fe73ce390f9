#pragma once

#include "link/wire_script.h"
#include "settings/settings_record.h"

namespace zfm {

// The classic family's transmitter upload: opens the port without line settings,
// nineteen frames ending with the store command "FW", 10 ms, close, "Ready".
WireScript classicTransmitterUploadScript(const SettingsRecord &record);

// The small family's one upload: transmitter settings and the main RDS items
// together, thirty-six frames, the same opening and end steps.
WireScript smallFamilyUploadScript(const SettingsRecord &record);

} // namespace zfm
