#pragma once

#include "link/wire_script.h"
#include "settings/settings_record.h"

namespace zfm::test {

// Every field away from its default, so a value that did not arrive shows.
SettingsRecord distinctRecord();

// Shaped like the classic family's transmitter upload followed by its RDS
// upload, the messages, the PS rotation and the clock, built with the
// program's own encoders.
WireScript classicFrames(const SettingsRecord &r);

// Shaped like the small family's combined upload.
WireScript smallFrames(const SettingsRecord &r);

} // namespace zfm::test
