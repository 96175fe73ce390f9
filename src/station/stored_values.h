#pragma once

#include "settings/settings_record.h"

#include <QStringList>

namespace zfm {

// Stored values the program cannot use (a list position outside its list,
// a frequency off the band or raster, a power above 100 %, ...) are replaced by
// their key's default, so that start-up always completes. Returns the keys
// that were repaired; the caller stores the record.
QStringList repairStoredValues(SettingsRecord &record);

} // namespace zfm
