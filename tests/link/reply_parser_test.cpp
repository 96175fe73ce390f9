// The receive side: characters in, replies out, one character at a time;
// numbers read leniently, and the kind of a reply taken from where it begins,
// never from what its texts hold. (That a read-back with keys inside its texts
// decodes to exactly what was sent is the reply parser fuzz target's invariant.)
#include "link/reply_parser.h"
#include "support/read_back_layout.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace zfm;

namespace {

// The status reply of the device's documentation, without its "$".
std::string statusItems(const std::string &alarmCode = "05", char audio = 'F')
{
    return "AlarmCode=" + alarmCode
        + ",Pfwd=12.5W,Pref=0.3W,Texc=31C,Tamp=40C,Iexc=0.2A,Iamp=1.8A,Uexc=12.0V,Uamp=27.5V,"
          "Uptime=0001D:02H:03M,Freq=100.000MHz,Firmware=2.1,PowerLimit=50W,Audio="
        + std::string(1, audio) + ",";
}

// Feeds every character; returns the results of those that finished a reply.
std::vector<FeedResult> feedAll(ReplyParser &parser, std::string_view chars)
{
    std::vector<FeedResult> finished;
    for (const char c : chars) {
        FeedResult r = parser.feed(c);
        EXPECT_EQ(r.appended, !r.finished() || std::holds_alternative<EmptyReply>(r.event));
        if (r.finished())
            finished.push_back(std::move(r));
    }
    return finished;
}

AlarmLampStates lamps(std::initializer_list<std::string_view> on)
{
    AlarmLampStates states{};
    for (size_t i = 0; i < kAlarmLamps.size(); ++i)
        states[i] = std::find(on.begin(), on.end(), kAlarmLamps[i].caption) != on.end();
    return states;
}

QString padded(const char *text, int length) { return QString::fromLatin1(text).leftJustified(length, ' ', true); }

// Part of a received stream, and the reply its last character completes.
struct Piece {
    std::string bytes;
    std::optional<ReplyEvent> ends;
};

// A read-back with a value in every item, as `change` leaves it.
Piece readBack(const std::function<void(ReadBack &)> &change)
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
    change(v);
    return {test::readBackLayout(v).toStdString() + '$', v};
}
Piece statusReply() { return {statusItems() + '$', decodeStatusReply(statusItems())}; }
Piece noise(std::string bytes) { return {std::move(bytes), std::nullopt}; }

} // namespace

// A "$" on an empty buffer finishes an empty reply and stays in the buffer;
// the status reply that follows still decodes, at its own "$".
TEST(ReplyParser, StatusReplyIsDecodedAtItsDollar)
{
    ReplyParser parser;
    EXPECT_TRUE(std::holds_alternative<EmptyReply>(parser.feed('$').event));
    EXPECT_EQ(parser.received(), "$");
    EXPECT_EQ(parser.receivedCount(), 1);
    EXPECT_TRUE(feedAll(parser, statusItems()).empty()) << "a reply ending in \",\" is no reply without its $";
    const auto finished = feedAll(parser, "$");
    ASSERT_EQ(finished.size(), 1u);
    const auto &status = std::get<StatusReply>(finished[0].event);
    using S = StatusReply;
    const std::pair<QString S::*, const char *> fields[] = {{&S::outputPower, "12.5W"}, {&S::reflectedPower, "0.3W"},
        {&S::exciterTemperature, "31C"}, {&S::amplifierTemperature, "40C"}, {&S::exciterCurrent, "0.2A"},
        {&S::amplifierCurrent, "1.8A"}, {&S::exciterVoltage, "12.0V"}, {&S::amplifierVoltage, "27.5V"},
        {&S::uptime, "0001D:02H:03M"}, {&S::unitFrequency, "100.000MHz"}, {&S::firmware, "2.1"}, {&S::txModel, "50W"}};
    for (const auto &[field, want] : fields)
        EXPECT_EQ(status.*field, want);
    EXPECT_TRUE(parser.received().empty());
    EXPECT_EQ(parser.receivedCount(), 0);

    // The level ("F" is 70, minus 48) is limited to 0..100.
    for (const auto &[audio, level] : {std::pair{'F', 22}, {char(200), 100}, {char(40), 0}}) {
        const auto r = feedAll(parser, statusItems("37", audio) + "$");
        EXPECT_EQ(std::get<StatusReply>(r.at(0).event).audioLevel, level);
    }
}

TEST(ReplyParser, AlarmCodeTexts)
{
    const std::pair<const char *, std::optional<AlarmLampStates>> rows[]
        = {{"00", lamps({})}, {"18", lamps({"SWR ALARM", "U AMP ALARM"})},
            {"31", lamps({"T AMP ALARM", "SWR ALARM", "T EXC ALARM", "I AMP ALARM", "U AMP ALARM"})},
            {"32", lamps({"REMOTE standby"})}, // on standby the lower bits are not shown
            {"63", lamps({"REMOTE standby"})},
            // Not one of the 64 two-digit texts: the lamps stay as they are.
            {"7", std::nullopt}, {"64", std::nullopt}, {"", std::nullopt}, {"5 ", std::nullopt}, {"-1", std::nullopt},
            {"005", std::nullopt}};
    for (const auto &[code, want] : rows)
        EXPECT_EQ(alarmLampsFor(code), want) << '"' << code << '"';
}

TEST(ReplyParser, LongStrayStreamsStayBounded)
{
    ReplyParser parser;
    std::string stray;
    for (int i = 0; i < 100 * 1024; ++i)
        stray += char('a' + i % 26);
    EXPECT_TRUE(feedAll(parser, stray).empty());
    EXPECT_EQ(parser.received(), std::string_view(stray).substr(stray.size() - ReplyParser::kBufferLimit));
    EXPECT_EQ(parser.receivedCount(), 100 * 1024) << "the count still counts every character";
    parser.reset();

    // A long value within the buffer is shown as received.
    const std::string uptime(10000, '9');
    auto finished = feedAll(parser, "AlarmCode=00,Pfwd=1W,Uptime=" + uptime + ",$");
    EXPECT_EQ(std::get<StatusReply>(finished.at(0).event).uptime, QString::fromStdString(uptime));
    // One longer than the buffer pushes the reply's opening out: what is left
    // is no reply of either kind.
    finished = feedAll(parser, "AlarmCode=00,Pfwd=" + std::string(20000, '1') + ",Pref=2W,$");
    EXPECT_TRUE(std::holds_alternative<StrayReply>(finished.at(0).event));

    // The read-back's progress from the count: 21 x 1656 / 3313 = 10.497 rounds down to 10,
    // and no overflow on a long stray stream.
    const std::pair<int32_t, int> rows[]
        = {{0, 0}, {1656, 10}, {3313, 21}, {5000, 21}, {std::numeric_limits<int32_t>::max(), 21}};
    for (const auto &[count, want] : rows)
        EXPECT_EQ(readBackProgress(count, 21), want) << count;
}

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
        {"a $ in a PS, Pfwd in a later message",
            {readBack([](ReadBack &v) { v.ps[3] = padded("CA$H FM", 8), v.mg[6] = padded("Pfwd", 64); })}},
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
        const auto got = feedAll(parser, stream);
        EXPECT_EQ(got.size(), want.size());
        for (size_t i = 0; i < std::min(got.size(), want.size()); ++i)
            EXPECT_TRUE(got[i].event == want[i]) << "reply " << i << " is of another kind or decodes otherwise";
        EXPECT_TRUE(parser.received().empty()) << "left in the buffer: " << parser.received();
    }
}
