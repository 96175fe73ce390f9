#include "log/alarm_watch.h"

namespace zfm {

std::vector<AlarmChange> AlarmWatch::update(const std::optional<AlarmLampStates> &lamps)
{
    std::vector<AlarmChange> changes;
    if (!lamps)
        return changes;
    for (size_t i = 0; i < lit_.size(); ++i) {
        if ((*lamps)[i] != lit_[i])
            changes.push_back({i, (*lamps)[i]});
    }
    lit_ = *lamps;
    return changes;
}

QString alarmLampCaption(size_t lamp)
{
    const std::string_view caption = kAlarmLamps.at(lamp).caption;
    return QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size()));
}

} // namespace zfm
