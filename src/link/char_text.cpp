#include "link/char_text.h"

namespace zfm {

namespace {

// The UTF-16 index of character `chars`, or the text's size when it has fewer.
qsizetype unitIndex(QStringView text, qsizetype chars)
{
    qsizetype i = 0;
    for (; i < text.size() && chars > 0; --chars)
        i += text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    return i;
}

} // namespace

qsizetype charCount(QStringView text)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++count)
        i += text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    return count;
}

QString midChars(QStringView text, qsizetype from, qsizetype count)
{
    if (from < 0 || count <= 0)
        return {};
    const qsizetype start = unitIndex(text, from);
    const QStringView rest = text.mid(start);
    return rest.left(unitIndex(rest, count)).toString();
}

} // namespace zfm
