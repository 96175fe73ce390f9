#pragma once

// Readable failure messages for Qt's text types in GoogleTest.
#include <QByteArray>
#include <QString>

#include <ostream>

inline void PrintTo(const QByteArray &bytes, std::ostream *os) { *os << '"' << bytes.toStdString() << '"'; }
inline void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }
