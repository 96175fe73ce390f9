#include "autoupdate/field_reader.h"

namespace zfm {

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool isLineEnd(QChar c) { return c == u'\r' || c == u'\n'; }
bool endsField(QChar c) { return c == u',' || isLineEnd(c); }

} // namespace

QStringList readFields(QStringView text, int maxFields)
{
    QStringList fields;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && fields.size() < maxFields) {
        while (i < n && isBlank(text[i]))
            ++i;
        if (i == n)
            break;
        if (isLineEnd(text[i])) {
            // An empty line, or the line end after a comma: no field.
            ++i;
            continue;
        }
        if (text[i] == u'"') {
            const qsizetype start = ++i;
            while (i < n && text[i] != u'"' && !isLineEnd(text[i]))
                ++i;
            fields << text.mid(start, i - start).toString();
            while (i < n && !endsField(text[i]))
                ++i;
        } else {
            const qsizetype start = i;
            while (i < n && !endsField(text[i]))
                ++i;
            qsizetype end = i;
            while (end > start && isBlank(text[end - 1]))
                --end;
            fields << text.mid(start, end - start).toString();
        }
        // The comma is used up here; a line end is left for the loop above.
        if (i < n && text[i] == u',')
            ++i;
    }
    return fields;
}

} // namespace zfm
