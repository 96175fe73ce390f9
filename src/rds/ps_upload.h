#pragma once

#include "link/wire_script.h"
#include "settings/settings_record.h"

namespace zfm {

// The 100 PS frames ("PS00".."PS99") and then the 100 delay frames
// ("PD00".."PD99"), each with its status text and progress value, as both
// "Send RT and PS" and the automatic PS update send them. No port handling.
WireScript dynamicPsFrames(const SettingsRecord &record);

// "i / 2" as the status texts show it: at most one decimal, the user's separator.
QString halfPercent(int i);

} // namespace zfm
