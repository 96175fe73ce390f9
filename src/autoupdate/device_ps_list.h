#pragma once

#include "rds/ps_upload.h"

#include <QDateTime>

#include <optional>

namespace zfm {

// The dynamic PS list the device holds, as far as this run knows: the list
// last uploaded to it completely and successfully on this port. Anything that
// may have changed the device's list behind the program's back forgets it
// (a failed or interrupted upload, a lost line, another port or family, a
// read-back), and it is trusted for an hour after the last upload of the
// whole list at most: a device may have been switched off and on meanwhile.
class DevicePsList {
public:
    static constexpr qint64 kTrustedForMs = 60 * 60 * 1000;

    // The list, when it is known at `now`; nullptr when the next upload must
    // be the whole list.
    const PsList *known(const QDateTime &now) const;
    // An upload ended with every frame written: `whole` when it was the
    // whole list, which starts the hour again.
    void uploaded(const PsList &list, bool whole, const QDateTime &now);
    // One entry's text reached the device on its own ("Send settings" sends
    // the static PS, entry 0).
    void textSent(int entry, const QString &text);
    void forget();

private:
    std::optional<PsList> list_;
    QDateTime wholeAt_;
};

} // namespace zfm
