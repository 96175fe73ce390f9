#pragma once

#include <QString>

namespace zfm::vt {

// Assigns the simulator's line to a COM number in the program's settings
// store ("COMDevice<n>") for as long as this object lives. The store is the
// platform one: its folder (PlatformStore::useFolder) is chosen before the first use.
class Registration {
public:
    Registration(int comNumber, const QString &devicePath);
    ~Registration();
    Registration(const Registration &) = delete;
    Registration &operator=(const Registration &) = delete;

    bool isRegistered() const { return registered_; }
    QString key() const;
    QString storeFile() const { return storeFile_; }

private:
    int com_;
    QString path_;
    QString storeFile_;
    bool registered_ = false;
};

} // namespace zfm::vt
