#pragma once

#include "settings/settings_record.h"

#include <QString>

namespace zfm {

// COM numbers 1..16 as the operator knows them, mapped to device paths.
// On Linux: COM 1-4 -> /dev/ttyS0-3, COM 5-10 -> /dev/ttyUSB0-5,
// COM 11-16 -> /dev/ttyACM0-5, unless "COMDevice<n>" assigns another device.
// On Windows port n is COMn.
QString defaultDevicePath(int comNumber);
QString devicePath(const SettingsRecord &record, int comNumber);
// Whether a device path names a device that is there.
bool deviceExists(const QString &path);
// The path under /dev/serial/by-id that names the device at `systemLocation`
// (the adapter's own name, kept when it is plugged in again under another
// number); empty when there is none.
QString stableDevicePath(const QString &systemLocation);

// Baud rate of a line-settings text such as "9600,N,8,1"; 0 when the text is
// not one the device speaks (no parity, 8 data bits, 1 stop bit).
int baudOfLineSettings(const QString &lineSettings);

} // namespace zfm
