#pragma once

#include "settings/settings_store.h"

namespace zfm {

// The settings store seen through "--port N": "COMSelected" reads as N, and
// the store keeps the port it held, however often the whole record is saved,
// until the operator chooses another port, which is stored as usual.
class PortForRunStore final : public SettingsStore {
public:
    // comNumber 0 passes everything through.
    PortForRunStore(SettingsStore &store, int comNumber);

    std::optional<QString> value(const QString &key) const override;
    void setValue(const QString &key, const QString &text) override;
    void remove(const QString &key) override;
    bool sync() override { return store_.sync(); }

private:
    bool holds(const QString &key) const;

    SettingsStore &store_;
    QString port_; // the port's stored text; empty when nothing is held back
};

} // namespace zfm
