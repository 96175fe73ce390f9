#include "autoupdate/device_ps_list.h"

namespace zfm {

const PsList *DevicePsList::known(const QDateTime &now) const
{
    if (!list_)
        return nullptr;
    // A clock set back counts as the hour being over.
    const qint64 age = wholeAt_.msecsTo(now);
    return age >= 0 && age < kTrustedForMs ? &*list_ : nullptr;
}

void DevicePsList::uploaded(const PsList &list, bool whole, const QDateTime &now)
{
    if (!whole && !list_)
        return; // only part of a list nobody knows: the rest is still unknown
    list_ = list;
    if (whole)
        wholeAt_ = now;
}

void DevicePsList::textSent(int entry, const QString &text)
{
    if (list_ && entry >= 0 && entry < kPsEntries)
        list_->texts[static_cast<size_t>(entry)] = text;
}

void DevicePsList::forget() { list_.reset(); }

} // namespace zfm
