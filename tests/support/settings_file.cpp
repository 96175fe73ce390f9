#include "support/settings_file.h"

#include <QByteArray>
#include <QFile>

namespace zfm::test {

QString settingsFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Kestrel Devices/ZephyrineFM+.conf");
}

QString onDisk(const char *key)
{
    QFile f(settingsFile());
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("<no file>");
    const QByteArray prefix = QByteArray(key) + '=';
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return QString::fromUtf8(line.mid(prefix.size()));
    }
    return QStringLiteral("<absent>");
}

} // namespace zfm::test
