#include "registration.h"

#include "settings/settings_store.h"

namespace zfm::vt {

Registration::Registration(int comNumber, const QString &devicePath) : com_(comNumber), path_(devicePath)
{
    PlatformStore store;
    storeFile_ = store.fileName();
    store.setValue(key(), path_);
    registered_ = store.sync();
}

Registration::~Registration()
{
    if (!registered_)
        return;
    PlatformStore store;
    // Another simulator may have taken the number since; leave its entry alone.
    if (store.value(key()) == path_)
        store.remove(key());
    store.sync();
}

QString Registration::key() const { return QStringLiteral("COMDevice%1").arg(com_); }

} // namespace zfm::vt
