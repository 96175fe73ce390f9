#pragma once

#include "link/job.h"

#include <functional>

namespace zfm {

// Enabled state of the buttons that device operations take away and give back.
struct Buttons {
    bool sendRtAndPs = true;
    bool sendSettings = true;
    bool readRds = true;
    bool readTx = true;
    bool operator==(const Buttons &) const = default;
};

// The one rule for those buttons, whatever ended last, from what is waiting or
// running on the line (`has`):
//   - "Send settings", "Send RT and PS" and "Read RDS settings" (and exit's
//     power-0 upload) take all four while they wait or run;
//   - a status request takes "Read TX";
//   - "Read TX" stays away while "Auto read TX" is ticked;
//   - a tab switch (`tabReleased`) gives "Send settings" and "Send RT and PS"
//     back while another operation runs, but never while their own job waits or runs.
Buttons buttonsFor(const std::function<bool(JobKind)> &has, bool autoRead, bool tabReleased);

// Whether an operation that takes the four buttons waits or runs.
bool buttonsHeld(const std::function<bool(JobKind)> &has);

} // namespace zfm
