#pragma once

#include <QByteArray>
#include <QStringList>

namespace zfm {

// One CSV record as RFC 4180 has it: fields separated by commas, a field
// holding a comma, a double quote, CR or LF enclosed in double quotes with its
// quotes doubled, the record ended by CR LF. UTF-8.
QByteArray csvRecord(const QStringList &fields);

} // namespace zfm
