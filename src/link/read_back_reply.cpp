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
// Every other key is then taken at its first occurrence that lies wholly
// outside the text spans, and its value must lie outside them too.

namespace {

enum class TextKind { Ps, Rt, Mg };

struct TextSpan {
    TextKind kind;
    int index;
    size_t key;
    size_t valueStart;
    size_t end; // one past the value; may lie past the buffer
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<TextSpan> textKeyAt(std::string_view b, size_t p)
{
    const size_t left = b.size() - p;
    const char c = b[p];
    if (c == 'R')
        return left >= 2 && b[p + 1] == 'T'
            ? std::optional(TextSpan{TextKind::Rt, 0, p, p + 4, p + 4 + kLongTextLength})
            : std::nullopt;
    if (!isDigit(c) || left < 3)
        return std::nullopt;
    if (c < '0' + kMessages && b[p + 1] == 'M' && b[p + 2] == 'G')
        return TextSpan{TextKind::Mg, c - '0', p, p + 5, p + 5 + kLongTextLength};
    if (left >= 4 && isDigit(b[p + 1]) && b[p + 2] == 'P' && b[p + 3] == 'S')
        return TextSpan{TextKind::Ps, (c - '0') * 10 + (b[p + 1] - '0'), p, p + 6, p + 6 + kPsTextLength};
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

// Every other key, with where its value stands (counted from the key's first
// character) and its length.
struct Key {
    std::string name;
    size_t offset;
    size_t length;
};

constexpr int kPdSlot = 0; // + entry
constexpr int kAfSlot = kPdSlot + kPsEntries; // + n
constexpr int kPtySlot = kAfSlot + kReadBackAfItems;
constexpr int kPwrSlot = kPtySlot + 1;
constexpr int kEccSlot = kPwrSlot + 1;
constexpr int kCcacSlot = kEccSlot + 1;
constexpr int kPrefSlot = kCcacSlot + 1;
constexpr int kTaSlot = kPrefSlot + 1;
constexpr int kTpSlot = kTaSlot + 1;
constexpr int kDidSlot = kTpSlot + 1; // + bit
constexpr int kMsSlot = kDidSlot + 4;
constexpr int kKeyCount = kMsSlot + 1;

std::string twoDigits(int n) { return {char('0' + n / 10), char('0' + n % 10)}; }

struct KeyTable {
    std::array<Key, kKeyCount> keys;
    // The slots of the keys that begin with each character.
    std::array<std::vector<int>, 256> byFirstChar;
};

const KeyTable &keyTable()
{
    static const KeyTable table = [] {
        KeyTable t;
        for (int i = 0; i < kPsEntries; ++i)
            t.keys[kPdSlot + i] = {twoDigits(i) + "PD", 5, 1};
        for (int n = 0; n < kReadBackAfItems; ++n)
            t.keys[kAfSlot + n] = {std::to_string(n) + "AF", 4, 3};
        t.keys[kPtySlot] = {"PTY", 4, 2};
        t.keys[kPwrSlot] = {"PWR", 4, 1};
        t.keys[kEccSlot] = {"ECC", 4, 3};
        t.keys[kCcacSlot] = {"CCAC", 5, 3};
        t.keys[kPrefSlot] = {"PREF", 5, 3};
        t.keys[kTaSlot] = {"TA", 3, 1};
        t.keys[kTpSlot] = {"TP", 3, 1};
        for (int k = 0; k < 4; ++k)
            t.keys[kDidSlot + k] = {"DID" + std::to_string(k), 5, 1};
        t.keys[kMsSlot] = {"MS", 3, 1};
        for (int slot = 0; slot < kKeyCount; ++slot)
            t.byFirstChar[static_cast<unsigned char>(t.keys[slot].name[0])].push_back(slot);
        return t;
    }();
    return table;
}

// Where each non-text key first occurs wholly outside the text spans, found
// in one pass over the buffer.
class KeyIndex {
public:
    KeyIndex(std::string_view buffer, const std::vector<TextSpan> &spans) : buffer_(buffer), inText_(buffer.size(), 0)
    {
        for (const TextSpan &s : spans)
            std::fill(inText_.begin() + s.key, inText_.begin() + std::min(s.end, buffer.size()), 1);
        first_.fill(std::string_view::npos);
        const KeyTable &table = keyTable();
        for (size_t p = 0; p < buffer.size(); ++p) {
            if (inText_[p])
                continue;
            for (const int slot : table.byFirstChar[static_cast<unsigned char>(buffer[p])]) {
                const std::string &name = table.keys[slot].name;
                if (first_[slot] == std::string_view::npos && buffer.compare(p, name.size(), name) == 0
                    && outsideTexts(p, name.size()))
                    first_[slot] = p;
            }
        }
    }

    // The value of a key, or nothing when the key is missing or its value is
    // not wholly in the buffer and outside the texts.
    std::optional<std::string_view> value(int slot) const
    {
        const size_t at = first_[slot];
        if (at == std::string_view::npos)
            return std::nullopt;
        const Key &key = keyTable().keys[slot];
        const size_t start = at + key.offset;
        if (start + key.length > buffer_.size() || !outsideTexts(start, key.length))
            return std::nullopt;
        return buffer_.substr(start, key.length);
    }

    std::optional<int> number(int slot) const
    {
        const auto v = value(slot);
        return v ? std::optional<int>(decimalNumber(*v)) : std::nullopt;
    }

private:
    bool outsideTexts(size_t from, size_t length) const
    {
        return std::none_of(inText_.begin() + from, inText_.begin() + from + length, [](char c) { return c != 0; });
    }

    std::string_view buffer_;
    std::vector<char> inText_;
    std::array<size_t, kKeyCount> first_;
};

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

size_t readBackStart(std::string_view buffer)
{
    for (size_t p = 0; p + 4 <= buffer.size(); ++p) {
        if (isDigit(buffer[p]) && isDigit(buffer[p + 1]) && buffer[p + 2] == 'P' && buffer[p + 3] == 'D')
            return p;
    }
    return std::string_view::npos;
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
        const auto v = keys.value(kPdSlot + i);
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
        rb.af[n] = keys.number(kAfSlot + n);
    rb.pty = keys.number(kPtySlot);
    if (const auto pwr = keys.value(kPwrSlot))
        rb.rdsActive = pwr->front() != '0';
    rb.ecc = keys.number(kEccSlot);
    rb.ccac = keys.number(kCcacSlot);
    rb.pref = keys.number(kPrefSlot);
    rb.ta = keys.number(kTaSlot);
    rb.tp = keys.number(kTpSlot);
    for (int k = 0; k < 4; ++k)
        rb.did[k] = keys.number(kDidSlot + k);
    rb.ms = keys.number(kMsSlot);
    return rb;
}

} // namespace zfm
