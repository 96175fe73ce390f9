#include "scheduler/scheme_list.h"

#include <algorithm>

namespace zfm {

SchemeListControls SchemeListControls::forScheduler(bool schedulerEnabled, size_t lines)
{
    if (schedulerEnabled)
        return {false, false, false, false};
    return {true, true, lines > 0, lines > 0};
}

void SchemeListControls::afterRemove(size_t lines)
{
    if (lines == 0) {
        editEnabled = false;
        removeEnabled = false;
    }
}

void SchemeListControls::afterListClick(const std::vector<SchemeEntry> &list)
{
    if (std::any_of(list.begin(), list.end(), [](const SchemeEntry &e) { return e.ticked; }))
        removeEnabled = true;
}

void SchemeListControls::afterConfirm()
{
    editEnabled = true;
    removeEnabled = true;
}

bool removeScheme(SettingsRecord &record, int selected)
{
    auto &list = record.schemeList;
    if (selected < 0 || static_cast<size_t>(selected) >= list.size())
        return false;
    list.erase(list.begin() + selected);
    return true;
}

} // namespace zfm
