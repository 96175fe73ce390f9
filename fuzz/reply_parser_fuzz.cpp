// libFuzzer target for the reply parser.
//
// The first byte picks one of two modes:
// - stream: the rest of the input (repeated, to reach past the buffer limit)
//   is fed character by character; nothing may crash, the buffer never grows
//   past its limit, and every decoded value stays within its item's shape.
// - read-back: the input fills a read-back in the virtual transmitter's layout
//   whose PS, RadioText and message texts are fuzz bytes (items may be left
//   out, but not every delay: a read-back opens with them; one delay may be
//   bad). Texts may hold keys, status labels ("Pfwd", "AlarmCode=") and "$".
//   It must decode to exactly what was encoded, so no key was ever taken from
//   inside a text; fed through the parser it must end at its own closing "$"
//   and nowhere else, and decode the same as at once, whatever came before
//   it in the stream: nothing, a lone "$", a status reply, the rest of one,
//   or line noise.
#include "fuzz_check.h"

#include "link/reply_parser.h"
#include "link/windows1252.h"
#include "support/read_back_layout.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace zfm;

namespace {

using fuzz::check;

void checkShape(const ReadBack &rb)
{
    for (const auto &d : rb.psDelay)
        check(!d || (*d >= 0 && *d <= 9), "delay is one digit");
    for (const auto &ps : rb.ps)
        check(!ps || ps->size() == kPsTextLength, "PS has 8 characters");
    check(!rb.rt || rb.rt->size() == kLongTextLength, "RT has 64 characters");
    for (const auto &mg : rb.mg)
        check(!mg || mg->size() == kLongTextLength, "message has 64 characters");
    for (const auto &af : rb.af)
        check(!af || (*af >= 0 && *af <= 999), "AF is three digits");
    check(!rb.pty || (*rb.pty >= 0 && *rb.pty <= 99), "PTY is two digits");
}

FeedResult feedChecked(ReplyParser &parser, char c)
{
    FeedResult r = parser.feed(c);
    check(parser.received().size() <= ReplyParser::kBufferLimit, "buffer within its limit");
    check(r.appended == (!r.finished() || std::holds_alternative<EmptyReply>(r.event)),
        "only a finished reply consumes its $");
    if (const auto *rb = std::get_if<ReadBack>(&r.event))
        checkShape(*rb);
    if (r.finished() && !r.appended)
        check(parser.received().empty() && parser.receivedCount() == 0, "a reply resets the buffer");
    return r;
}

void stream(FuzzedDataProvider &in)
{
    const int repeat = in.ConsumeIntegralInRange(1, 8);
    const std::string chars = in.ConsumeRemainingBytesAsString();
    ReplyParser parser;
    for (int i = 0; i < repeat; ++i) {
        for (const char c : chars)
            feedChecked(parser, c);
    }
}

bool present(FuzzedDataProvider &in) { return in.ConsumeIntegral<uint8_t>() >= 24; }

std::optional<int> number(FuzzedDataProvider &in, int max)
{
    return present(in) ? std::optional<int>(in.ConsumeIntegralInRange(0, max)) : std::nullopt;
}

std::optional<QString> text(FuzzedDataProvider &in, int length)
{
    if (!present(in))
        return std::nullopt;
    std::string bytes = in.ConsumeBytesAsString(length);
    bytes.resize(length, ' ');
    return fromWindows1252(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

// What the stream held before the read-back, and the reply that ended there.
struct Before {
    std::string bytes;
    std::optional<ReplyEvent> ends;
};

Before before(FuzzedDataProvider &in)
{
    static const std::string status = "AlarmCode=05,Pfwd=12.5W,Pref=0.3W,Freq=100.000MHz,Audio=F,";
    switch (in.ConsumeIntegralInRange(0, 4)) {
    case 1: return {"$", EmptyReply{}};
    case 2: return {status + '$', decodeStatusReply(status)};
    case 3: return {status.substr(status.find("Pref")) + '$', StrayReply{}};
    case 4: {
        // Line noise: anything that cannot end a reply or open one.
        std::string noise = in.ConsumeRandomLengthString(64);
        std::erase_if(noise, [](char c) { return c == '$' || c == '=' || (c >= '0' && c <= '9'); });
        return {noise, std::nullopt};
    }
    default: return {};
    }
}

void readBack(FuzzedDataProvider &in)
{
    const Before earlier = before(in);
    ReadBack sent;
    for (auto &d : sent.psDelay)
        d = number(in, 9);
    if (std::none_of(sent.psDelay.begin(), sent.psDelay.end(), [](const auto &d) { return d.has_value(); }))
        sent.psDelay[0] = 0;
    for (auto &n : sent.af)
        n = number(in, 999);
    sent.pty = number(in, 99);
    if (present(in))
        sent.rdsActive = in.ConsumeBool();
    sent.ecc = number(in, 999);
    sent.ccac = number(in, 999);
    sent.pref = number(in, 999);
    sent.ta = number(in, 9);
    sent.tp = number(in, 9);
    for (auto &d : sent.did)
        d = number(in, 9);
    sent.ms = number(in, 9);
    // At most one bad delay, replaced after the layout is built.
    const int bad = in.ConsumeIntegralInRange(0, 4 * kPsEntries);
    char badChar = char(in.ConsumeIntegral<uint8_t>());
    if (badChar == '$' || (badChar >= '0' && badChar <= '9'))
        badChar = 'x';
    // Texts take their bytes from the front of the input, the numbers above
    // from its back, so byte edits of the mutator mostly land in the texts.
    for (auto &ps : sent.ps)
        ps = text(in, kPsTextLength);
    sent.rt = text(in, kLongTextLength);
    for (auto &mg : sent.mg)
        mg = text(in, kLongTextLength);

    QByteArray reply = test::readBackLayout(sent);
    ReadBack want = sent;
    if (bad < kPsEntries && sent.psDelay[bad]) {
        const QByteArray key = QByteArray::number(bad).rightJustified(2, '0') + "PD=";
        reply[reply.indexOf(key) + key.size()] = badChar;
        want = ReadBack{};
        want.abortedAt = bad;
        for (int i = 0; i < bad; ++i)
            want.psDelay[i] = sent.psDelay[i];
    }

    const std::string_view bytes(reply.constData(), size_t(reply.size()));
    check(decodeReadBack(bytes) == want, "read-back decodes to what was encoded");

    ReplyParser parser;
    std::vector<ReplyEvent> ended;
    for (const char c : earlier.bytes) {
        FeedResult r = feedChecked(parser, c);
        if (r.finished())
            ended.push_back(std::move(r.event));
    }
    check(ended.size() == (earlier.ends ? 1u : 0u) && (!earlier.ends || ended[0] == *earlier.ends),
        "what came before the read-back ends as it should");
    for (const char c : bytes)
        check(!feedChecked(parser, c).finished(), "the read-back does not end inside itself");
    const FeedResult end = feedChecked(parser, '$');
    const auto *got = std::get_if<ReadBack>(&end.event);
    check(got != nullptr, "the read-back ends at its closing $");
    check(*got == want, "fed read-back decodes to what was encoded");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    if (in.ConsumeIntegral<uint8_t>() % 2 == 0)
        stream(in);
    else
        readBack(in);
    return 0;
}
