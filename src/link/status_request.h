#pragma once

#include "link/wire_script.h"

#include <optional>

namespace zfm {

// How the status request's writes are spaced.
enum class RequestPacing {
    Paced, // each part its own write, 10 ms after every write but the last
    Whole, // the frame in one write
};

// The status request "FM" with its one-blank value, the one frame the
// transmitter answers with its status; `inside` is shown after the separator.
WireScript &statusRequestFrame(
    WireScript &script, RequestPacing pacing, const std::optional<step::Status> &inside = std::nullopt);

} // namespace zfm
