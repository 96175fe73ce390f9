#pragma once

#include "link/wire_script.h"
#include "settings/settings_record.h"

namespace zfm {

// Whether the operator pressed the button (and may be asked to confirm the
// static PS) or the program runs the upload on its own (start-up, exit,
// scheduler), which never waits for a click.
enum class Attended { Yes, No };

// The classic family's RDS sequence after the transmitter upload: the link's
// own opening, twenty-five frames (the static PS confirmed when attended),
// the store command, "Ready".
WireScript rdsSettingsSequence(const SettingsRecord &record, Attended attended);

} // namespace zfm
