// Decoding the RDS read-back: numbers read leniently, and the kind of a reply
// taken from where it begins, never from what its texts hold. (That a
// read-back with keys inside its texts decodes to exactly what was sent is
// the reply parser fuzz target's invariant.)
#include "link/reply_parser.h"
#include "support/read_back_layout.h"

#include <gtest/gtest.h>

#include <functional>

using namespace zfm;

namespace {

// A read-back with a value in every item.
ReadBack sample()
{
    ReadBack v;
    for (int i = 0; i < kPsEntries; ++i) {
        v.psDelay[i] = i % 10;
        v.ps[i] = QStringLiteral("PS %1   ").arg(i, 2, 10, QLatin1Char('0'));
    }
    v.rt = QStringLiteral("Now playing").leftJustified(kLongTextLength);
    for (int n = 0; n < kMessages; ++n)
        v.mg[n] = QStringLiteral("Message %1").arg(n).leftJustified(kLongTextLength);
    v.af = {231, 129, 134, 104, 4, 4, 4, 4};
    v.did = {0, 1, 0, 1};
    v.pty = 13, v.rdsActive = false, v.ecc = 11, v.ccac = 226, v.pref = 171;
    v.ta = v.tp = v.ms = 1;
    return v;
}

QString padded(const char *text, int length) { return QString::fromLatin1(text).leftJustified(length, ' ', true); }

using Change = std::function<void(ReadBack &)>;

// The status reply of the device's documentation, without its "$".
const std::string kStatusItems = "AlarmCode=05,Pfwd=12.5W,Pref=0.3W,Texc=31C,Tamp=40C,Iexc=0.2A,Iamp=1.8A,Uexc=12.0V,"
                                 "Uamp=27.5V,Uptime=0001D:02H:03M,Freq=100.000MHz,Firmware=2.1,PowerLimit=50W,Audio=F,";

// Part of a received stream, and the reply its last character completes.
struct Piece {
    std::string bytes;
    std::optional<ReplyEvent> ends;
};

Piece readBack(const Change &change)
{
    ReadBack sent = sample();
    change(sent);
    return {test::readBackLayout(sent).toStdString() + '$', sent};
}
Piece statusReply() { return {kStatusItems + '$', decodeStatusReply(kStatusItems)}; }
Piece noise(std::string bytes) { return {std::move(bytes), std::nullopt}; }

std::string describe(const ReplyEvent &e)
{
    if (std::holds_alternative<StatusReply>(e))
        return "status";
    if (const auto *rb = std::get_if<ReadBack>(&e))
        return rb->abortedAt ? "read-back aborted at " + std::to_string(*rb->abortedAt) : "read-back";
    if (std::holds_alternative<EmptyReply>(e))
        return "empty";
    if (std::holds_alternative<StrayReply>(e))
        return "stray";
    return "nothing";
}

} // namespace

TEST(ReadBackReply, DecimalNumbers)
{
    const std::pair<const char *, int> rows[]
        = {{"104", 104}, {"007", 7}, {" 12", 12}, {"1 2", 12}, {"12x", 12}, {"x12", 0}, {"-5", 0}, {"", 0}, {"  ", 0}};
    for (const auto &[text, want] : rows)
        EXPECT_EQ(decimalNumber(text), want) << '"' << text << '"';
}

// The kind of a reply comes from where it begins: a status reply with its
// alarm code, a read-back with its delays. Labels inside a read-back's texts
// ("Pfwd", "AlarmCode=", "$") or in line noise before a reply never decide
// it, and a read-back ends at the "$" after its last item, not before and not
// at a later watchdog.
TEST(ReplyParser, KindComesFromWhereTheReplyBegins)
{
    const std::pair<const char *, std::vector<Piece>> rows[] = {
        {"status labels in the RadioText",
            {readBack([](ReadBack &v) { v.rt = padded("AlarmCode=05,Pfwd=12.5W,Pref=0.3W,Audio=F,", 64); })}},
        {"a $ in a PS, Pfwd in a later message",
            {readBack([](ReadBack &v) { v.ps[3] = padded("CA$H FM", 8), v.mg[6] = padded("Pfwd", 64); })}},
        {"Pfwd in a PS, a $ in the RadioText",
            {readBack([](ReadBack &v) { v.ps[0] = padded("Pfwd", 8), v.rt = padded("$ A$AP - Ke$ha $", 64); })}},
        {"a whole status reply in a message",
            {readBack([](ReadBack &v) { v.mg[2] = padded("AlarmCode=05,Pfwd=1W,Audio=F,$", 64); })}},
        {"$ at the end of the last text", {readBack([](ReadBack &v) { v.mg[7] = padded("", 63) + '$'; })}},
        {"line noise with keys before a read-back",
            {noise("xRT=\"TA=1 MS=0 0MG"), readBack([](ReadBack &v) { v.ps[1] = padded("$RT$", 8); })}},
        {"line noise with keys before a status reply", {noise("TA=1 RT=x 3MG=\"PS"), statusReply()}},
        {"the rest of a status reply whose wait ran out, then a read-back",
            {{"Firmware=2.1,PowerLimit=50W,Audio=F,$", StrayReply{}}, readBack([](ReadBack &) {})}},
        {"a lone $, a status reply, a read-back holding Pfwd, a status reply",
            {{"$", EmptyReply{}}, statusReply(), readBack([](ReadBack &v) { v.ps[9] = padded("Pfwd", 8); }),
                statusReply()}},
        {"a read-back without its first delays",
            {readBack([](ReadBack &v) { std::fill_n(v.psDelay.begin(), 5, std::nullopt); })}},
        // Nothing that opens a read-back: its items alone answer no request.
        {"items without the delays that open a read-back",
            {{readBack([](ReadBack &v) { v.psDelay.fill(std::nullopt); }).bytes, StrayReply{}}}},
    };
    for (const auto &[name, pieces] : rows) {
        SCOPED_TRACE(name);
        std::string stream;
        std::vector<ReplyEvent> want;
        for (const Piece &p : pieces) {
            stream += p.bytes;
            if (p.ends)
                want.push_back(*p.ends);
        }
        ReplyParser parser;
        std::vector<ReplyEvent> got;
        for (const char c : stream) {
            FeedResult r = parser.feed(c);
            if (r.finished())
                got.push_back(std::move(r.event));
        }
        std::vector<std::string> gotKinds, wantKinds;
        std::transform(got.begin(), got.end(), std::back_inserter(gotKinds), describe);
        std::transform(want.begin(), want.end(), std::back_inserter(wantKinds), describe);
        EXPECT_EQ(gotKinds, wantKinds);
        if (gotKinds != wantKinds)
            continue;
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_TRUE(got[i] == want[i]) << "reply " << i << " (" << wantKinds[i] << ") decodes otherwise";
        EXPECT_TRUE(parser.received().empty()) << "left in the buffer: " << parser.received();
    }
}
