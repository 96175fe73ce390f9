#pragma once

#include <QString>

#include <map>
#include <memory>
#include <optional>

class QObject;
class QSettings;

namespace zfm {

// Where the record's text values live between runs. Small on purpose so that
// tests can swap the platform store for one in memory.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text of a key, or nothing when the key is absent or unreadable.
    virtual std::optional<QString> value(const QString &key) const = 0;
    virtual void setValue(const QString &key, const QString &text) = 0;
    virtual void remove(const QString &key) = 0;
    // Writes pending changes out; false when they could not be written.
    virtual bool sync() = 0;
    // The last sync() failed because another program held the file, not
    // because the file or its folder cannot be written.
    virtual bool heldByAnother() const { return false; }
};

class MemoryStore final : public SettingsStore {
public:
    std::optional<QString> value(const QString &key) const override;
    void setValue(const QString &key, const QString &text) override;
    void remove(const QString &key) override;
    bool sync() override { return true; }

    const std::map<QString, QString> &values() const { return values_; }

private:
    std::map<QString, QString> values_;
};

// The per-user platform store: organisation "Kestrel Devices", application
// "ZephyrineFM+", every key inside the group "ZephyrineFM+ v1.0". On Linux the
// file is $XDG_CONFIG_HOME/Kestrel Devices/ZephyrineFM+.conf.
//
// Other programs write the same file (a second instance, the virtual
// transmitter registering its port). Changes are written only by sync(),
// which waits while another live program holds the file's lock, however long
// it is slow, and reports failure after a while instead of taking the lock.
class PlatformStore final : public SettingsStore {
public:
    PlatformStore();
    ~PlatformStore() override;

    std::optional<QString> value(const QString &key) const override;
    void setValue(const QString &key, const QString &text) override;
    void remove(const QString &key) override;
    bool sync() override;
    bool heldByAnother() const override { return heldByAnother_; }

    QString fileName() const;
    // How long a write waits for another program's lock before it fails.
    void setLockWaitMs(int ms) { lockWaitMs_ = ms; }

    // Keeps the store under `folder` instead of the per-user folder, for the
    // rest of this process; called before the first store is opened.
    static void useFolder(const QString &folder);

    static const QString kOrganisation;
    static const QString kApplication;
    static const QString kSection;
    static constexpr int kDefaultLockWaitMs = 5000;
    // A live writer fills its lock file the moment it creates it; one nobody
    // can read that is older than this was left by a run killed in between.
    static constexpr int kUnreadableLockAgeMs = 1000;

private:
    std::unique_ptr<QSettings> open() const;
    bool waitForOtherWriters() const;

    // Keeps QSettings from writing on its own, later, by its own lock rules.
    std::unique_ptr<QObject> deferredWrites_;
    std::unique_ptr<QSettings> settings_;
    int lockWaitMs_ = kDefaultLockWaitMs;
    bool heldByAnother_ = false;
};

} // namespace zfm
