#pragma once

#include "settings/settings_record.h"

#include <QString>

namespace zfm {

// The "Preview" panel: what a receiver would show. PS mode steps once a second
// through the entries whose delay is not 0 (entry 0 whatever its delay); RT
// mode scrolls the RadioText one character every 200 ms.
struct PreviewFrame {
    QString text; // eight characters
    int intervalMs; // until the next tick
};

class Preview {
public:
    PreviewFrame tick(const SettingsRecord &record, bool scrollRadioText);
    int position() const { return position_; }

private:
    int position_ = 0;
};

// The tray icon's tool tip.
QString trayToolTip(const SettingsRecord &record);

} // namespace zfm
