#pragma once

#include "settings/settings_record.h"

#include <vector>

namespace zfm {

// The enabled state of the scheduler tab's frame "Scheduler" and its three
// buttons. Its owner keeps one and updates it after each event below.
struct SchemeListControls {
    bool frameEnabled = true;
    bool addEnabled = true;
    bool editEnabled = false;
    bool removeEnabled = false;

    // "Enable scheduler" ticked (also as restored at start-up): everything off,
    // so the list cannot change while the scheduler runs. Unticked: the frame
    // and "Add..." on, "Edit..." and "Remove" when the list has lines.
    static SchemeListControls forScheduler(bool schedulerEnabled, size_t lines);
    // After "Remove": an empty list disables "Edit..." and "Remove".
    void afterRemove(size_t lines);
    // Clicking in the list: "Remove" is enabled when a line is ticked.
    void afterListClick(const std::vector<SchemeEntry> &list);
    // After a scheme was added or modified.
    void afterConfirm();

    bool operator==(const SchemeListControls &) const = default;
};

// "Remove": removes line `selected` of the list. False (nothing changed) when
// no line is selected; otherwise the caller saves the settings.
bool removeScheme(SettingsRecord &record, int selected);

} // namespace zfm
