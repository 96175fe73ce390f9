#include "support/wire_frames.h"

namespace zfm::test {

std::vector<WireFrame> splitFrames(const QByteArray &wire)
{
    std::vector<WireFrame> frames;
    qsizetype i = 0;
    while (i < wire.size()) {
        WireFrame f;
        while (i < wire.size() && wire[i] == '\0') {
            ++f.leadIn;
            ++i;
        }
        const qsizetype sep = wire.indexOf('\x01', i);
        if (f.leadIn == 0 || sep < 0)
            break;
        f.name = wire.mid(i, sep - i);
        const qsizetype end = wire.indexOf('\x02', sep + 1);
        if (end < 0)
            break;
        f.value = wire.mid(sep + 1, end - sep - 1);
        frames.push_back(f);
        i = end + 1;
    }
    return frames;
}

const WireFrame *lastFrame(const std::vector<WireFrame> &frames, const QByteArray &name)
{
    for (auto it = frames.rbegin(); it != frames.rend(); ++it)
        if (it->name == name)
            return &*it;
    return nullptr;
}

} // namespace zfm::test
