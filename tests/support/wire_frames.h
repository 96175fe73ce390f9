#pragma once

#include <QByteArray>

#include <vector>

namespace zfm::test {

// Frames as they arrived on the wire: lead-in count, name, value.
struct WireFrame {
    int leadIn = 0;
    QByteArray name;
    QByteArray value;
};

// Splits a byte stream the program wrote into its frames. The name runs up to
// the separator (names are letters and digits), the value up to the terminator.
std::vector<WireFrame> splitFrames(const QByteArray &wire);

// The value of the last frame with that name, or nothing.
const WireFrame *lastFrame(const std::vector<WireFrame> &frames, const QByteArray &name);

} // namespace zfm::test
