#include "app/port_for_run_store.h"

namespace zfm {

PortForRunStore::PortForRunStore(SettingsStore &store, int comNumber)
    : store_(store), port_(comNumber > 0 ? QString::number(comNumber) : QString())
{
}

bool PortForRunStore::holds(const QString &key) const
{
    return !port_.isEmpty() && key == QLatin1String("COMSelected");
}

std::optional<QString> PortForRunStore::value(const QString &key) const
{
    if (holds(key))
        return port_;
    return store_.value(key);
}

void PortForRunStore::setValue(const QString &key, const QString &text)
{
    if (holds(key)) {
        if (text == port_)
            return;
        port_.clear(); // the operator's own choice from now on
    }
    store_.setValue(key, text);
}

void PortForRunStore::remove(const QString &key)
{
    if (!holds(key))
        store_.remove(key);
}

} // namespace zfm
