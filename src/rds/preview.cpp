#include "rds/preview.h"

namespace zfm {

PreviewFrame Preview::tick(const SettingsRecord &r, bool scrollRadioText)
{
    ++position_;
    if (scrollRadioText) {
        const int length = static_cast<int>(r.RT.size());
        // An empty RadioText shows nothing; a shortened one starts over, so the
        // position never runs past the text.
        if (length == 0) {
            position_ = 0;
            return {QString(8, QLatin1Char(' ')), 200};
        }
        if (position_ >= length)
            position_ = 1;
        return {(r.RT + QString(8, QLatin1Char(' '))).mid(position_ - 1, 8), 200};
    }
    for (int round = 0; round < kPsEntries; ++round) {
        if (position_ >= kPsEntries)
            position_ = kPsEntries;
        if (r.PSDelay[position_ - 1] == 0)
            ++position_;
        if (position_ >= kPsEntries)
            position_ = kPsEntries;
    }
    if (position_ >= kPsEntries)
        position_ = 1;
    return {r.PS[position_ - 1], 1000};
}

QString trayToolTip(const SettingsRecord &r)
{
    return QStringLiteral("ZephyrineFM+ v1.1+ >>") + r.RT + QStringLiteral("<<");
}

} // namespace zfm
