#pragma once

#include "device_state.h"

#include <QJsonObject>

namespace zfm::vt {

// Facts about the simulated device that are not part of what it stores.
struct DeviceInfo {
    Family family = Family::Classic;
    int baud = 9600;
    QString path; // the line's device path (the pseudo-terminal's slave)
    bool hungUp = false;
};

// The whole device state as JSON (format in the README).
QJsonObject stateJson(const DeviceState &state, const DeviceInfo &info);

// Writes the JSON to `path` through a temporary file and a rename, so a
// reader never sees half a file. False when it could not be written.
bool writeJsonFile(const QString &path, const QJsonObject &json);

} // namespace zfm::vt
