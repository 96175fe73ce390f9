// The receive side: characters in, replies out, one character at a time.
#include "link/reply_parser.h"

#include <gtest/gtest.h>

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

// A missing label reads as if it began one character before the buffer; a
// value without a following "," is empty.
TEST(ReplyParser, StatusLabelsMissing)
{
    const std::tuple<std::string, QString StatusReply::*, QString> rows[] = {
        {"Pfwd=1W,", &StatusReply::reflectedPower, "=1W"}, // from the 5th character
        {"Pfwd=1W,", &StatusReply::uptime, "W"}, // from the 7th
        {"Pfwd=1W,", &StatusReply::firmware, ""}, // from the 9th: no "," follows
        {"Pfwd=1W,", &StatusReply::unitFrequency, "=1W,"}, // 10 characters, as many as there are
        {"Pfwd=12.5W", &StatusReply::outputPower, ""},
        {"Freq=100.000MHzXYZ,Pfwd=1", &StatusReply::unitFrequency, "100.000MHz"},
    };
    for (const auto &[buffer, field, want] : rows)
        EXPECT_EQ(decodeStatusReply(buffer).*field, want) << buffer;

    // Without an Audio item the level comes from the reply's 6th character:
    // "C" of "AlarmCode=" (67 - 48). With no character there it is unchanged.
    std::string noAudio = statusItems();
    noAudio.erase(noAudio.find("Audio="));
    EXPECT_EQ(decodeStatusReply(noAudio).audioLevel, 19);
    EXPECT_EQ(decodeStatusReply("Pfwd").audioLevel, std::nullopt);
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
