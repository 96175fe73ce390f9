#include "link/port_map.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>

namespace zfm {

QString defaultDevicePath(int n)
{
    if (n < 1 || n > kComPorts)
        return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(n);
#else
    if (n <= 4)
        return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    if (n <= 10)
        return QStringLiteral("/dev/ttyUSB%1").arg(n - 5);
    return QStringLiteral("/dev/ttyACM%1").arg(n - 11);
#endif
}

QString devicePath(const SettingsRecord &record, int n)
{
    if (n >= 1 && n <= kComPorts && !record.COMDevice[n].trimmed().isEmpty())
        return record.COMDevice[n].trimmed();
    return defaultDevicePath(n);
}

bool deviceExists(const QString &path)
{
#ifdef Q_OS_WIN
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        if (info.portName().compare(path, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
#else
    return QFileInfo(path).exists();
#endif
}

int baudOfLineSettings(const QString &lineSettings)
{
    const QStringList parts = lineSettings.split(QLatin1Char(','));
    if (parts.size() != 4 || parts[1].trimmed().compare(QLatin1String("n"), Qt::CaseInsensitive) != 0
        || parts[2].trimmed() != QLatin1String("8") || parts[3].trimmed() != QLatin1String("1"))
        return 0;
    bool ok = false;
    const int baud = parts[0].trimmed().toInt(&ok);
    return ok && baud > 0 ? baud : 0;
}

QString stableDevicePath(const QString &systemLocation)
{
    const QString target = QFileInfo(systemLocation).canonicalFilePath();
    if (target.isEmpty())
        return {};
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        if (link.canonicalFilePath() == target)
            return link.absoluteFilePath();
    }
    return {};
}

} // namespace zfm
