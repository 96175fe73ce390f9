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
        if (r.finished())
            finished.push_back(std::move(r));
    }
    return finished;
}

AlarmLampStates lamps(std::initializer_list<const char *> on)
{
    AlarmLampStates states{};
    for (size_t i = 0; i < kAlarmLamps.size(); ++i) {
        for (const char *caption : on)
            states[i] = states[i] || kAlarmLamps[i].caption == caption;
    }
    return states;
}

} // namespace

TEST(ReplyParser, DecodesTheStatusReplyAtItsDollar)
{
    ReplyParser parser;
    const std::string items = statusItems();
    for (const char c : items) {
        const FeedResult r = parser.feed(c);
        EXPECT_TRUE(r.appended);
        EXPECT_FALSE(r.finished());
    }
    EXPECT_EQ(parser.ReceiveCount(), int(items.size()));

    const FeedResult r = parser.feed('$');
    EXPECT_FALSE(r.appended) << "the closing $ is consumed";
    const auto *status = std::get_if<StatusReply>(&r.event);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->outputPower, "12.5W");
    EXPECT_EQ(status->reflectedPower, "0.3W");
    EXPECT_EQ(status->exciterTemperature, "31C");
    EXPECT_EQ(status->amplifierTemperature, "40C");
    EXPECT_EQ(status->exciterCurrent, "0.2A");
    EXPECT_EQ(status->amplifierCurrent, "1.8A");
    EXPECT_EQ(status->exciterVoltage, "12.0V");
    EXPECT_EQ(status->amplifierVoltage, "27.5V");
    EXPECT_EQ(status->uptime, "0001D:02H:03M");
    EXPECT_EQ(status->unitFrequency, "100.000MHz");
    EXPECT_EQ(status->firmware, "2.1");
    EXPECT_EQ(status->txModel, "50W");
    EXPECT_EQ(status->alarmLamps, lamps({"T AMP ALARM", "T EXC ALARM"}));
    EXPECT_EQ(status->audioLevel, 22); // "F" is 70, minus 48
    EXPECT_TRUE(parser.ReceiveBuffer().empty());
    EXPECT_EQ(parser.ReceiveCount(), 0);
}

TEST(ReplyParser, AlarmCodeAndAudioCharacterOfTheStatusReply)
{
    struct Row {
        std::string alarmCode;
        char audio;
        std::optional<AlarmLampStates> lamps;
        int audioLevel;
    };
    const Row rows[] = {
        {"37", 'F', lamps({"REMOTE standby"}), 22},
        {"05", char(200), lamps({"T AMP ALARM", "T EXC ALARM"}), 100}, // limited to 100
        {"05", char(40), lamps({"T AMP ALARM", "T EXC ALARM"}), 0}, // limited to 0
        {"7", '0', std::nullopt, 0},
        {"64", 'd', std::nullopt, 52},
    };
    for (const Row &row : rows) {
        ReplyParser parser;
        const auto finished = feedAll(parser, statusItems(row.alarmCode, row.audio) + "$");
        ASSERT_EQ(finished.size(), 1u);
        const auto &status = std::get<StatusReply>(finished[0].event);
        EXPECT_EQ(status.alarmLamps, row.lamps) << row.alarmCode;
        EXPECT_EQ(status.audioLevel, row.audioLevel) << int(row.audio);
    }
}

TEST(ReplyParser, AlarmCodeTexts)
{
    const std::pair<const char *, std::optional<AlarmLampStates>> rows[] = {
        {"00", lamps({})},
        {"05", lamps({"T AMP ALARM", "T EXC ALARM"})},
        {"18", lamps({"SWR ALARM", "U AMP ALARM"})},
        {"31", lamps({"T AMP ALARM", "SWR ALARM", "T EXC ALARM", "I AMP ALARM", "U AMP ALARM"})},
        // From 32 on the unit is on standby; the lower bits are not shown.
        {"32", lamps({"REMOTE standby"})},
        {"63", lamps({"REMOTE standby"})},
        // Not one of the 64 two-digit texts: the lamps stay as they are.
        {"7", std::nullopt},
        {"64", std::nullopt},
        {"", std::nullopt},
        {"5 ", std::nullopt},
        {"-1", std::nullopt},
        {"1a", std::nullopt},
        {"005", std::nullopt},
    };
    for (const auto &[code, want] : rows)
        EXPECT_EQ(alarmLampsFor(code), want) << '"' << code << '"';
}

// A missing label reads as if it began one character before the buffer; a
// value without a following "," is empty.
TEST(ReplyParser, StatusLabelsMissing)
{
    struct Row {
        std::string buffer;
        QString StatusReply::*field;
        QString want;
    };
    const Row rows[] = {
        {"Pfwd=1W,", &StatusReply::reflectedPower, "=1W"}, // from character 5 (counted from 1)
        {"Pfwd=1W,", &StatusReply::uptime, "W"}, // from character 7
        {"Pfwd=1W,", &StatusReply::firmware, ""}, // from character 9: no "," follows
        {"Pfwd=1W,", &StatusReply::unitFrequency, "=1W,"}, // 10 characters, as many as there are
        {"Pfwd=12.5W", &StatusReply::outputPower, ""}, // no "," after the value
        {"Pfwd=,", &StatusReply::outputPower, ""},
        {"Freq=100.000MHzXYZ,Pfwd=1", &StatusReply::unitFrequency, "100.000MHz"},
    };
    for (const Row &row : rows)
        EXPECT_EQ(decodeStatusReply(row.buffer).*row.field, row.want) << row.buffer;

    // The reply the virtual transmitter sends starts with "AlarmCode=": without
    // an Audio item the level is read from its sixth character, "C" (67 - 48).
    std::string noAudio = statusItems();
    noAudio.erase(noAudio.find("Audio="));
    EXPECT_EQ(decodeStatusReply(noAudio).audioLevel, 19);
    // No character there at all: the level bar keeps its value.
    EXPECT_EQ(decodeStatusReply("Pfwd").audioLevel, std::nullopt);
    EXPECT_EQ(decodeStatusReply("Pfwd").alarmLamps, std::nullopt);
}

TEST(ReplyParser, DollarOnAnEmptyBufferFinishesAndStays)
{
    ReplyParser parser;
    const FeedResult r = parser.feed('$');
    EXPECT_TRUE(std::holds_alternative<EmptyReply>(r.event));
    EXPECT_TRUE(r.appended);
    EXPECT_EQ(parser.ReceiveBuffer(), "$");
    EXPECT_EQ(parser.ReceiveCount(), 1);

    // The status reply that follows still decodes with the "$" in front of it.
    const auto finished = feedAll(parser, statusItems() + "$");
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(std::get<StatusReply>(finished[0].event).outputPower, "12.5W");

    // Every reply resets the buffer, so "$" "$" alternates between an empty
    // reply and a (blank) read-back.
    EXPECT_TRUE(std::holds_alternative<EmptyReply>(parser.feed('$').event));
    const FeedResult second = parser.feed('$');
    EXPECT_EQ(std::get<ReadBack>(second.event), ReadBack{});
    EXPECT_FALSE(second.appended);
}

TEST(ReplyParser, CharactersOtherThanDollarAreAlwaysAppended)
{
    ReplyParser parser;
    // A complete-looking status reply ending in "," and a read-back item
    // ending in CR LF: neither ends a reply without its "$".
    const std::string chars = statusItems() + "MS=1\r\n";
    EXPECT_TRUE(feedAll(parser, chars).empty());
    EXPECT_EQ(parser.ReceiveBuffer(), chars);

    parser.reset();
    EXPECT_TRUE(parser.ReceiveBuffer().empty());
    EXPECT_EQ(parser.ReceiveCount(), 0);
}

TEST(ReplyParser, BufferStaysBoundedWithoutDollar)
{
    ReplyParser parser;
    std::string stray;
    for (int i = 0; i < 100 * 1024; ++i)
        stray += char('a' + i % 26);
    EXPECT_TRUE(feedAll(parser, stray).empty());
    EXPECT_EQ(parser.ReceiveBuffer().size(), ReplyParser::kBufferLimit);
    EXPECT_EQ(parser.ReceiveBuffer(), std::string_view(stray).substr(stray.size() - ReplyParser::kBufferLimit));
    EXPECT_EQ(parser.ReceiveCount(), 100 * 1024) << "the count still counts every character";

    const FeedResult r = parser.feed('$');
    EXPECT_EQ(std::get<ReadBack>(r.event), ReadBack{});
    EXPECT_TRUE(parser.ReceiveBuffer().empty());
}

TEST(ReplyParser, ValueOfAbsurdLength)
{
    // Long but within the buffer: shown as received.
    ReplyParser parser;
    const std::string uptime(10000, '9');
    auto finished = feedAll(parser, "Pfwd=1W,Uptime=" + uptime + ",$");
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(std::get<StatusReply>(finished[0].event).uptime, QString::fromStdString(uptime));

    // Longer than the buffer: the label itself is dropped, and what is left is
    // no status reply; decoding it as a read-back finds nothing to apply.
    finished = feedAll(parser, "Pfwd=" + std::string(20000, '1') + ",Pref=2W,$");
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(std::get<ReadBack>(finished[0].event), ReadBack{});
}

TEST(ReplyParser, ReadBackProgress)
{
    const std::tuple<int32_t, int, int> rows[] = {
        {0, 21, 0}, {1, 21, 0}, {1656, 21, 10}, // Int(21 x 1656 / 3313) = Int(10.497)
        {3313, 21, 21}, {5000, 21, 21}, // never past the maximum
        {std::numeric_limits<int32_t>::max(), 21, 21}, // no overflow on a long stray stream
    };
    for (const auto &[count, maximum, want] : rows)
        EXPECT_EQ(readBackProgress(count, maximum), want) << count;
}
