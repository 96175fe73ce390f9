#pragma once

#include "link/wire_script.h"
#include "rds/rds_upload.h"
#include "settings/settings_record.h"

namespace zfm {

// "Send settings" for the selected family: the classic family's transmitter
// upload followed by its RDS sequence, or the small family's one upload that
// carries both. Recomputes AFNum first (it is stored), as the classic
// sequence sends it.
WireScript sendSettingsScript(SettingsRecord &record, Attended attended);

bool isSmallFamily(const SettingsRecord &record);

} // namespace zfm
