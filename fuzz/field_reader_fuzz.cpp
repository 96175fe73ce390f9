// libFuzzer target for the title file: its decoding, its free-format fields,
// and the title and PS list made from them.
//
// Input: one option byte, then the file's bytes.
//   bits 0-2  the number of fields asked for (from kMaxFields)
//   bit 3     the bytes stop inside the file (a bounded read)
//   bit 4     skip decoding: the bytes are UTF-16LE units as they are, lone
//             surrogates and all, so the reader sees any text at all
//   bit 5     "Insert DATE" for the PS list
//   bits 6-7  the kind of cutting (0 and 3: none built)
//
// Checked: decoding is stable, leaves no control character but line ends (and
// NUL, which tells a binary file), gives composed text, reads valid UTF-8 as
// UTF-8 even when cut inside a character; the reader gives at most the fields
// asked for, each shorter than the text, the same fields every time and
// whatever the limit, no line end inside a field, no quote at the start of one,
// no quote in a field that only quotes can make (a comma, or blanks at its
// ends), and the fields of a text cut after a line end come first in the
// fields of the whole; the title is the start of the joined fields, at most 64
// characters and never ends in half a character; the PS entries of a split or
// scroll list are 8 characters, their delays 0..9, and a split list reads the
// title in order.
#include "fuzz_check.h"

#include "autoupdate/field_reader.h"
#include "autoupdate/ps_rebuild.h"
#include "autoupdate/text_file.h"
#include "link/char_text.h"

#include <QStringDecoder>

#include <cstdio>
#include <cstdlib>

using namespace zfm;

namespace {

using fuzz::check;

constexpr int kMaxFields[] = {3, 0, 1, 2, 5, 16, 1000, -1};

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes); // decoding happens on conversion
    return !utf8.hasError();
}

// The bytes up to the last character that ends at or before `end` (UTF-8).
qsizetype charBoundaryAtOrBefore(const QByteArray &bytes, qsizetype end)
{
    if (end >= bytes.size())
        return bytes.size();
    while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
        --end;
    return end;
}

void checkDecoding(const QByteArray &bytes, bool truncated, const QString &text)
{
    check(decodeText(bytes, truncated) == text, "decoding is stable");
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            check(c == u'\r' || c == u'\n' || c == u'\0', "no control characters but line ends and NUL");
    }
    check(text.normalized(QString::NormalizationForm_C) == text, "decoded text is composed");

    // A valid UTF-8 file (its byte-order mark aside) reads as UTF-8.
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArray body = bom ? bytes.mid(3) : bytes;
    bool plain = true;
    for (const char b : body) {
        const auto u = static_cast<unsigned char>(b);
        if (u < 0x20 && u != '\r' && u != '\n')
            plain = false;
    }
    if (!plain || !isValidUtf8(body))
        return;
    const QString utf8 = QString::fromUtf8(body);
    bool c1 = false;
    for (const QChar c : utf8)
        c1 = c1 || (c.unicode() >= 0x7F && c.unicode() < 0xA0);
    if (c1)
        return; // controls become blanks; checked above
    check(text == utf8.normalized(QString::NormalizationForm_C), "valid UTF-8 reads as UTF-8");
    // Cut anywhere near its end, it still reads as UTF-8, up to the last whole character.
    const QByteArray whole = bom ? QByteArray("\xEF\xBB\xBF") + body : body;
    for (qsizetype cut = std::max<qsizetype>(0, whole.size() - 4); cut < whole.size(); ++cut) {
        const QByteArray part = whole.left(cut);
        const qsizetype start = bom ? std::min<qsizetype>(3, cut) : 0;
        const qsizetype end = charBoundaryAtOrBefore(whole, cut);
        if (bom && cut < 3)
            continue; // a part of the mark alone is no mark
        const QString want = QString::fromUtf8(whole.mid(start, end - start)).normalized(QString::NormalizationForm_C);
        check(decodeText(part, true) == want, "valid UTF-8 read in part reads as UTF-8");
    }
}

void checkFields(const QString &text, int maxFields)
{
    const QStringList fields = readFields(text, maxFields);
    check(fields.size() <= std::max(maxFields, 0), "at most the fields asked for");
    check(readFields(text, maxFields) == fields, "the same fields every time");
    qsizetype total = 0;
    for (const QString &f : fields) {
        check(f.size() <= text.size(), "no field longer than the text");
        total += f.size();
        check(!f.contains(u'\r') && !f.contains(u'\n'), "no line end inside a field");
        check(!f.startsWith(u'"'), "no quote at the start of a field");
        const bool onlyQuoted = f.contains(u',') || (!f.isEmpty() && (isBlank(f.front()) || isBlank(f.back())));
        check(!onlyQuoted || !f.contains(u'"'), "a quoted field holds no quote");
    }
    check(total <= text.size(), "fields together no longer than the text");
    if (maxFields >= 0 && maxFields < 1000) {
        const QStringList more = readFields(text, maxFields + 1);
        check(more.mid(0, fields.size()) == fields, "the limit only drops fields at the end");
        if (fields.size() < maxFields)
            check(more == fields, "no field after the last one");
    }
    // What a writer has finished, up to a line end, reads the same in the whole file.
    for (const qsizetype lineEnd : {text.indexOf(u'\n'), text.lastIndexOf(u'\n'), text.lastIndexOf(u'\r')}) {
        if (lineEnd < 0)
            continue;
        const QStringList head = readFields(QStringView(text).left(lineEnd + 1), maxFields);
        check(fields.mid(0, head.size()) == head, "the fields of finished lines come first");
    }
}

void checkTitleAndList(const QStringList &fields, int cutting, bool insertDate, int delay)
{
    const QString joined = fields.mid(0, 3).join(u' ');
    const QString title = composeTitle(fields);
    check(joined.startsWith(title), "the title is the start of the fields");
    check(charCount(title) <= kTitleChars, "a title has at most 64 characters");
    if (!title.isEmpty() && title.back().isHighSurrogate())
        check(!(joined.size() > title.size() && joined[title.size()].isLowSurrogate()), "no character cut in half");

    if (cutting != 1 && cutting != 2)
        return;
    const auto type = static_cast<AutoUpdateType>(cutting);
    if (type == AutoUpdateType::Scroll && title.isEmpty())
        return; // the engine never takes an empty title
    SettingsRecord r;
    const std::optional<QDate> date = insertDate ? std::optional<QDate>(QDate(2026, 12, 5)) : std::nullopt;
    rebuildPsList(r, type, title, delay, date);
    for (int i = 0; i < kPsEntries; ++i) {
        check(charCount(r.PS[i]) == kPsChars, "PS entries are 8 characters");
        check(r.PSDelay[i] >= 0 && r.PSDelay[i] <= kMaxPsDelay, "PS delays are 0..9");
    }
    if (type == AutoUpdateType::Split) {
        QString pieces;
        for (int k = 0; k < kSplitPieces; ++k)
            pieces += r.PS[k];
        check(pieces == title + QString(kSplitPieces * kPsChars - charCount(title), u' '),
            "split pieces read the title in order");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t options = data[0];
    const int maxFields = kMaxFields[options & 7];
    const bool truncated = options & 0x08;
    const bool rawUnits = options & 0x10;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    QString text;
    if (rawUnits) {
        text.resize(bytes.size() / 2);
        for (qsizetype i = 0; i < text.size(); ++i)
            text[i] = QChar(char16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8));
    } else {
        text = decodeText(bytes, truncated);
        checkDecoding(bytes, truncated, text);
    }
    checkFields(text, maxFields);
    checkTitleAndList(readFields(text, 3), options >> 6, options & 0x20, options % 10);
    return 0;
}
