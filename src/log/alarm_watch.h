#pragma once

#include "link/status_reply.h"

#include <optional>
#include <vector>

namespace zfm {

// A lamp that lit or went out.
struct AlarmChange {
    size_t lamp = 0; // index into kAlarmLamps
    bool raised = true;
};

// Follows the alarm lamps from one status reply to the next. All lamps are
// out at start, as the window shows them; a reply whose alarm code the lamps
// cannot read leaves them as they were.
class AlarmWatch {
public:
    std::vector<AlarmChange> update(const std::optional<AlarmLampStates> &lamps);
    const AlarmLampStates &lit() const { return lit_; }

private:
    AlarmLampStates lit_{};
};

// The lamp's caption as the alarms page shows it ("SWR ALARM").
QString alarmLampCaption(size_t lamp);

} // namespace zfm
