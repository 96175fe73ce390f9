#include "log/csv.h"

namespace zfm {

QByteArray csvRecord(const QStringList &fields)
{
    QByteArray out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        const QByteArray field = fields[i].toUtf8();
        const bool quoted = field.contains(',') || field.contains('"') || field.contains('\r') || field.contains('\n');
        if (!quoted) {
            out += field;
            continue;
        }
        QByteArray escaped = field;
        escaped.replace('"', "\"\"");
        out += '"' + escaped + '"';
    }
    out += "\r\n";
    return out;
}

} // namespace zfm
