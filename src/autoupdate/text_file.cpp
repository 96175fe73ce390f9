#include "autoupdate/text_file.h"

#include "link/windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace zfm {

namespace {

// Bytes at the end that start a UTF-8 sequence the data does not complete.
qsizetype incompleteUtf8Tail(const QByteArray &bytes)
{
    for (qsizetype back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        const qsizetype needed = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return needed > back ? back : 0;
    }
    return 0;
}

QString decodeUtf16(const QByteArray &bytes, QStringDecoder::Encoding encoding)
{
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes.left(bytes.size() & ~qsizetype(1)));
}

QString decodeUtf8Or1252(QByteArray bytes, bool truncated)
{
    if (truncated)
        bytes.chop(incompleteUtf8Tail(bytes));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return fromWindows1252(bytes);
}

} // namespace

QString decodeText(QByteArray bytes, bool truncated)
{
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        text = decodeUtf8Or1252(bytes.mid(3), truncated);
    else if (bytes.startsWith("\xFF\xFE"))
        text = decodeUtf16(bytes.mid(2), QStringDecoder::Utf16LE);
    else if (bytes.startsWith("\xFE\xFF"))
        text = decodeUtf16(bytes.mid(2), QStringDecoder::Utf16BE);
    else
        text = decodeUtf8Or1252(std::move(bytes), truncated);

    // NUL stays, so that the caller can tell a binary file. The C1 controls
    // come from UTF-8 as well as from the bytes Windows-1252 leaves unassigned.
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if ((u > 0 && u < 0x20 && u != u'\r' && u != u'\n') || (u >= 0x7F && u < 0xA0))
            c = u' ';
    }
    return text.normalized(QString::NormalizationForm_C);
}

QString firstLine(const QString &text)
{
    qsizetype end = 0;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
        ++end;
    return text.left(end);
}

TextFile readTextFile(const QString &path, qsizetype maxBytes)
{
    using Status = TextFile::Status;
    if (path.isEmpty())
        return {Status::NotFound, {}};
    const QFileInfo info(path);
    if (!info.exists())
        return {Status::NotFound, {}};
    if (!info.isFile())
        return {Status::Unreadable, {}};

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QFileInfo::exists(path) ? Status::Unreadable : Status::NotFound, {}};
    const QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        return {Status::Unreadable, {}};
    const bool truncated = bytes.size() == maxBytes && !file.atEnd();
    QString text = decodeText(bytes, truncated);
    if (text.contains(QChar(0)))
        return {Status::Unreadable, {}};
    return {Status::Ok, std::move(text)};
}

} // namespace zfm
