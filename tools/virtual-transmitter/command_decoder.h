#pragma once

#include "device_state.h"
#include "frame_decoder.h"

namespace zfm::vt {

// What a frame asks the device to send back.
enum class Request { None, Status, ReadBack };

struct Decoded {
    bool ok = false;
    // The frame in readable form ("FF 100.000 MHz", "PS07 \"NEWS    \""), or
    // why it was refused.
    QString text;
    Request request = Request::None;
};

// Applies one frame to the device state. A frame of an unknown command, or
// whose value has the wrong shape, changes nothing and is not ok.
Decoded applyFrame(DeviceState &state, Family family, const RawFrame &frame);

// Bytes as a person reads them: Windows-1252 text in double quotes, control
// characters as \xNN.
QString quotedText(const QByteArray &bytes);

} // namespace zfm::vt
