#pragma once

#include "link/wire_script.h"
#include "settings/settings_record.h"

namespace zfm {

// "Send RT and PS": opens the port with line settings, the RadioText, the eight
// messages, the 100 PS texts and their delays, the store command, "Ready".
WireScript sendRtAndPsScript(const SettingsRecord &record);

} // namespace zfm
