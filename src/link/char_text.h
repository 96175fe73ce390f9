#pragma once

#include <QString>
#include <QStringView>

namespace zfm {

// Text lengths (8 for a PS, 64 for a title or RadioText) count characters; a
// character outside the basic plane takes two UTF-16 units in a QString and
// must never be cut in half.
qsizetype charCount(QStringView text);
// Up to `count` characters starting at character `from`.
QString midChars(QStringView text, qsizetype from, qsizetype count);
inline QString leftChars(QStringView text, qsizetype count) { return midChars(text, 0, count); }

} // namespace zfm
