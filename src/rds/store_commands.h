#pragma once

#include "link/wire_script.h"
#include "settings/settings_record.h"

namespace zfm {

// The RDS encoder's store command "SAVE" that ends every RDS upload: 100 ms,
// the frame with its status at step 19 and no pause between value and
// terminator, then 10 ms and 100 ms instead of a frame pause.
WireScript &appendSaveCommand(WireScript &script);

// The three group switches, one frame each (lead-in 1, decimalText of the
// field, frame pause; "GRT" waits 10 ms more before its frame pause). They
// neither open the port nor touch the status line.
WireScript &appendGctSwitch(WireScript &script, const SettingsRecord &record);
WireScript &appendGrtSwitch(WireScript &script, const SettingsRecord &record);
WireScript &appendGeonSwitch(WireScript &script, const SettingsRecord &record);

} // namespace zfm
