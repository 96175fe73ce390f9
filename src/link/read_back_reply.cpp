#include "link/read_back_reply.h"

#include "link/windows1252.h"

#include <algorithm>
#include <string>
#include <vector>

namespace zfm {

// How keys are kept out of texts.
//
// PS, RadioText and message values are free text: a PS may read "TA TP MS", a
// RadioText "PWR=0", a message "05PS=". Searching the whole buffer for "TA"
// would find it there. But every text value has a fixed place and length
// behind its key (PS: key + 6, 8 characters; RT: key + 4, 64; nMG: key + 5,
// 64), so one pass from the start can step over them: at each position,
// if a text key starts here ("NNPS", "RT" or "nMG"), the key and its whole
// value are one text span and the pass resumes after the value; otherwise it
// moves on by one character. A key-like run inside a text is never looked at
// because the pass jumps over it. The separators between key and value are
// never read, only skipped, so quotes, commas or CR LF inside a text cannot
// mislead it.
//
// Every other key is then looked up (first occurrence) in a copy of the buffer
// whose text spans are blanked out, and its value must lie outside the spans.

namespace {

enum class TextKind { Ps, Rt, Mg };

struct TextSpan {
    TextKind kind;
    int index;
    size_t valueStart;
    size_t end; // one past the value; may lie past the buffer
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<TextSpan> textKeyAt(std::string_view b, size_t p)
{
    const std::string_view rest = b.substr(p);
    if (rest.starts_with("RT"))
        return TextSpan{TextKind::Rt, 0, p + 4, p + 4 + kLongTextLength};
    if (rest.size() >= 3 && rest[0] >= '0' && rest[0] < '0' + kMessages && rest.substr(1, 2) == "MG")
        return TextSpan{TextKind::Mg, rest[0] - '0', p + 5, p + 5 + kLongTextLength};
    if (rest.size() >= 4 && isDigit(rest[0]) && isDigit(rest[1]) && rest.substr(2, 2) == "PS")
        return TextSpan{TextKind::Ps, (rest[0] - '0') * 10 + (rest[1] - '0'), p + 6, p + 6 + kPsTextLength};
    return std::nullopt;
}

std::vector<TextSpan> scanTextSpans(std::string_view b)
{
    std::vector<TextSpan> spans;
    size_t p = 0;
    while (p < b.size()) {
        if (const auto span = textKeyAt(b, p)) {
            spans.push_back(*span);
            p = span->end;
        } else {
            ++p;
        }
    }
    return spans;
}

QString text(std::string_view bytes) { return fromWindows1252(QByteArray(bytes.data(), qsizetype(bytes.size()))); }

// The buffer with its text spans blanked, for looking up the other keys.
class KeyIndex {
public:
    KeyIndex(std::string_view buffer, const std::vector<TextSpan> &spans)
        : buffer_(buffer), masked_(buffer), inText_(buffer.size(), false)
    {
        for (const TextSpan &s : spans) {
            const size_t key = keyStart(s);
            for (size_t i = key; i < std::min(s.end, buffer.size()); ++i) {
                masked_[i] = '\0'; // no key contains this character
                inText_[i] = true;
            }
        }
    }

    // The value of the first occurrence of key outside every text, or nothing
    // when the key is missing or its value is not wholly in the buffer and
    // outside the texts.
    std::optional<std::string_view> value(std::string_view key, size_t offset, size_t length) const
    {
        const size_t at = masked_.find(key);
        if (at == std::string::npos)
            return std::nullopt;
        const size_t start = at + offset;
        if (start + length > buffer_.size())
            return std::nullopt;
        for (size_t i = start; i < start + length; ++i) {
            if (inText_[i])
                return std::nullopt;
        }
        return buffer_.substr(start, length);
    }

    std::optional<int> number(std::string_view key, size_t offset, size_t length) const
    {
        const auto v = value(key, offset, length);
        return v ? std::optional<int>(decimalNumber(*v)) : std::nullopt;
    }

private:
    static size_t keyStart(const TextSpan &s)
    {
        switch (s.kind) {
        case TextKind::Ps: return s.valueStart - 6;
        case TextKind::Rt: return s.valueStart - 4;
        case TextKind::Mg: return s.valueStart - 5;
        }
        return s.valueStart;
    }

    std::string_view buffer_;
    std::string masked_;
    std::vector<bool> inText_;
};

std::string twoDigits(int n) { return {char('0' + n / 10), char('0' + n % 10)}; }

} // namespace

int decimalNumber(std::string_view text)
{
    int n = 0;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n')
            continue;
        if (!isDigit(c))
            break;
        n = n * 10 + (c - '0');
        if (n > 99999999)
            break; // values are at most three characters; never overflow on stray digits
    }
    return n;
}

bool endsInsideTextValue(std::string_view buffer)
{
    const std::vector<TextSpan> spans = scanTextSpans(buffer);
    return !spans.empty() && spans.back().end > buffer.size();
}

ReadBack decodeReadBack(std::string_view buffer)
{
    const std::vector<TextSpan> spans = scanTextSpans(buffer);
    const KeyIndex keys(buffer, spans);
    ReadBack rb;

    for (int i = 0; i < kPsEntries; ++i) {
        const auto v = keys.value(twoDigits(i) + "PD", 5, 1);
        if (!v)
            continue;
        if (!isDigit(v->front())) {
            rb.abortedAt = i;
            return rb;
        }
        rb.psDelay[i] = v->front() - '0';
    }

    // The first complete occurrence of each text item.
    for (const TextSpan &s : spans) {
        if (s.end > buffer.size())
            continue;
        const QString value = text(buffer.substr(s.valueStart, s.end - s.valueStart));
        std::optional<QString> *slot = nullptr;
        switch (s.kind) {
        case TextKind::Ps: slot = &rb.ps[s.index]; break;
        case TextKind::Rt: slot = &rb.rt; break;
        case TextKind::Mg: slot = &rb.mg[s.index]; break;
        }
        if (!slot->has_value())
            *slot = value;
    }

    for (int n = 0; n < kReadBackAfItems; ++n)
        rb.af[n] = keys.number(std::to_string(n) + "AF", 4, 3);
    rb.pty = keys.number("PTY", 4, 2);
    if (const auto pwr = keys.value("PWR", 4, 1))
        rb.rdsActive = pwr->front() != '0';
    rb.ecc = keys.number("ECC", 4, 3);
    rb.ccac = keys.number("CCAC", 5, 3);
    rb.pref = keys.number("PREF", 5, 3);
    rb.ta = keys.number("TA", 3, 1);
    rb.tp = keys.number("TP", 3, 1);
    for (int k = 0; k < 4; ++k)
        rb.did[k] = keys.number("DID" + std::to_string(k), 5, 1);
    rb.ms = keys.number("MS", 3, 1);
    return rb;
}

} // namespace zfm
