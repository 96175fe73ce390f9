#include "station/buttons.h"

namespace zfm {

bool buttonsHeld(const std::function<bool(JobKind)> &has)
{
    return has(JobKind::SendSettings) || has(JobKind::SendRtAndPs) || has(JobKind::ReadBack) || has(JobKind::ShutDown);
}

Buttons buttonsFor(const std::function<bool(JobKind)> &has, bool autoRead, bool tabReleased)
{
    const bool held = buttonsHeld(has);
    Buttons b;
    b.sendSettings = !has(JobKind::SendSettings) && (!held || tabReleased);
    b.sendRtAndPs = !has(JobKind::SendRtAndPs) && (!held || tabReleased);
    b.readRds = !held;
    b.readTx = !autoRead && !held && !has(JobKind::StatusRequest);
    return b;
}

} // namespace zfm
