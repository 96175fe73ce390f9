#pragma once

#include <QByteArray>
#include <QString>

namespace zfm {

// The device takes one byte per character in Windows-1252; a character it
// cannot show goes out as "?".
QByteArray toWindows1252(const QString &text);
QString fromWindows1252(const QByteArray &bytes);

} // namespace zfm
