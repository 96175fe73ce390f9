// Decoding the RDS read-back: fixed positions from each key, and keys never
// taken from inside a PS, RadioText or message text.
#include "link/reply_parser.h"
#include "support/read_back_layout.h"

#include <gtest/gtest.h>

#include <functional>

using namespace zfm;

namespace {

// A read-back with a value in every item, far from the defaults.
ReadBack sample()
{
    ReadBack v;
    for (int i = 0; i < kPsEntries; ++i) {
        v.psDelay[i] = i % 10;
        v.ps[i] = QStringLiteral("PS %1   ").arg(i, 2, 10, QLatin1Char('0')).left(kPsTextLength);
    }
    v.af = {231, 129, 134, 104, 4, 4, 4, 4};
    v.pty = 13;
    v.rt = QStringLiteral("Now playing: something").leftJustified(kLongTextLength);
    for (int n = 0; n < kMessages; ++n)
        v.mg[n] = QStringLiteral("Message %1").arg(n).leftJustified(kLongTextLength);
    v.rdsActive = false;
    v.ecc = 11;
    v.ccac = 226;
    v.pref = 171;
    v.ta = 1;
    v.tp = 1;
    v.did = {0, 1, 0, 1};
    v.ms = 1;
    return v;
}

ReadBack feedThrough(const QByteArray &reply)
{
    ReplyParser parser;
    for (const char c : reply) {
        const FeedResult r = parser.feed(c);
        EXPECT_FALSE(r.finished()) << "the reply ended early, at a character of its own";
    }
    FeedResult end = parser.feed('$');
    EXPECT_TRUE(parser.ReceiveBuffer().empty());
    return std::get<ReadBack>(end.event);
}

QString padded(const char *text, int length) { return QString::fromLatin1(text).leftJustified(length).left(length); }

} // namespace

TEST(ReadBackReply, LayoutDecodesToWhatWasSent)
{
    const ReadBack sent = sample();
    const QByteArray reply = test::readBackLayout(sent);
    EXPECT_EQ(reply.size(), kReadBackLength);
    EXPECT_EQ(feedThrough(reply), sent);
}

TEST(ReadBackReply, NumbersFromTheDocumentation)
{
    const ReadBack rb = decodeReadBack("CCAC=226\r\n0AF=230\r\n3AF=104\r\nPTY=05\r\nECC=007\r\n");
    EXPECT_EQ(rb.ccac, 226);
    EXPECT_EQ(rb.af[0], 230);
    EXPECT_EQ(rb.af[3], 104);
    EXPECT_EQ(rb.pty, 5);
    EXPECT_EQ(rb.ecc, 7);
}

TEST(ReadBackReply, DecimalNumbers)
{
    const std::pair<const char *, int> rows[] = {
        {"104", 104},
        {"007", 7},
        {" 12", 12},
        {"1 2", 12}, // blanks are skipped wherever they stand
        {"12x", 12}, // anything after the digits is ignored
        {"x12", 0},
        {"-5", 0},
        {"", 0},
        {"   ", 0},
    };
    for (const auto &[text, want] : rows)
        EXPECT_EQ(decimalNumber(text), want) << '"' << text << '"';
}

TEST(ReadBackReply, BadDelayStopsTheDecoding)
{
    const ReadBack sent = sample();
    QByteArray reply = test::readBackLayout(sent);
    reply[reply.indexOf("07PD") + 5] = 'x';

    const ReadBack got = feedThrough(reply);
    ReadBack want;
    want.abortedAt = 7;
    for (int i = 0; i < 7; ++i)
        want.psDelay[i] = sent.psDelay[i];
    EXPECT_EQ(got, want);
}

// Texts that hold keys, quotes, commas, line ends or the reply's own "$":
// every value still comes from its own item.
TEST(ReadBackReply, KeysInsideTextsAreNeverUsed)
{
    struct Row {
        const char *name;
        std::function<void(ReadBack &)> change;
    };
    const Row rows[] = {
        {"PS STATION", [](ReadBack &v) { v.ps[0] = padded("STATION", 8); }},
        {"PS TA TP MS", [](ReadBack &v) { v.ps[1] = padded("TA TP MS", 8); }},
        {"PS 05PS=", [](ReadBack &v) { v.ps[4] = padded("05PS=\"XY", 8); }},
        {"PS with delay key", [](ReadBack &v) { v.ps[0] = padded("99PD=x", 8); }},
        {"RT PWR=0", [](ReadBack &v) { v.rt = padded("Live: PWR=0 ECC=999 CCAC=001 PREF=999 TA=1 MS=0", 64); }},
        {"RT quotes and line ends", [](ReadBack &v) { v.rt = padded("\"quoted\",\r\n0MG=\"evil\"\r\nDID0=0", 64); }},
        {"MG RT", [](ReadBack &v) { v.mg[2] = padded("RT=\"not the RadioText\"", 64); }},
        {"MG next message", [](ReadBack &v) { v.mg[0] = padded("1MG=\"forged\" 7AF=999 PTY=45", 64); }},
        {"dollar in PS and RT",
            [](ReadBack &v) {
                v.ps[3] = padded("CA$H FM", 8);
                v.rt = padded("$$$ A$AP - Ke$ha $", 64);
            }},
        {"keys at a text's end",
            [](ReadBack &v) {
                v.ps[99] = padded("      RT", 8);
                v.mg[7] = QString(62, QLatin1Char(' ')) + QStringLiteral("TA");
            }},
    };
    for (const Row &row : rows) {
        ReadBack sent = sample();
        row.change(sent);
        EXPECT_EQ(feedThrough(test::readBackLayout(sent)), sent) << row.name;
    }
}

// An item missing from the reply is reported missing, even when a text holds
// its key: nothing is read from inside another item's text.
TEST(ReadBackReply, MissingItemsStayMissing)
{
    struct Row {
        const char *name;
        std::function<void(ReadBack &)> change;
    };
    const Row rows[] = {
        {"TA, key in PS",
            [](ReadBack &v) {
                v.ps[2] = padded("TA=1", 8);
                v.ta.reset();
            }},
        {"RT, key in MG",
            [](ReadBack &v) {
                v.mg[0] = padded("RT=\"forged\"", 64);
                v.rt.reset();
            }},
        {"PS 05, key in PS 03",
            [](ReadBack &v) {
                v.ps[3] = padded("05PS=\"EV", 8);
                v.ps[5].reset();
            }},
        {"PWR ECC, keys in RT",
            [](ReadBack &v) {
                v.rt = padded("PWR=0 ECC=009", 64);
                v.rdsActive.reset();
                v.ecc.reset();
            }},
        {"delay, key in RT",
            [](ReadBack &v) {
                v.rt = padded("42PD=x", 64);
                v.psDelay[42].reset();
            }},
        {"every other item",
            [](ReadBack &v) {
                for (int i = 0; i < kPsEntries; i += 2) {
                    v.psDelay[i].reset();
                    v.ps[i].reset();
                }
                v.af[0].reset();
                v.pty.reset();
                v.mg[1].reset();
                v.did[2].reset();
            }},
    };
    for (const Row &row : rows) {
        ReadBack sent = sample();
        row.change(sent);
        EXPECT_EQ(feedThrough(test::readBackLayout(sent)), sent) << row.name;
    }

    EXPECT_EQ(decodeReadBack("hello"), ReadBack{});
    EXPECT_EQ(decodeReadBack("TA=1").ta, 1);
    EXPECT_EQ(decodeReadBack("TA=").ta, std::nullopt) << "a value past the reply's end is missing";
    EXPECT_EQ(decodeReadBack("05PS=\"ABC").ps[5], std::nullopt);
    EXPECT_EQ(decodeReadBack("PTY=05\r\nPTY=07").pty, 5) << "the first occurrence counts";
}

// Only the distance from each key counts, never the characters between items.
TEST(ReadBackReply, SeparatorsDoNotMatter)
{
    const ReadBack sent = sample();
    const QByteArray reply = test::readBackLayout(sent);
    const std::pair<const char *, QByteArray> rows[] = {
        {"LF only", QByteArray(reply).replace("\r\n", "\n")},
        {"none between items", QByteArray(reply).replace("\r\n", "")},
        {"comma and blank", QByteArray(reply).replace("\r\n", ", ")},
        {"colons and apostrophes", QByteArray(reply).replace('=', ':').replace('"', '\'')},
    };
    for (const auto &[name, variant] : rows)
        EXPECT_EQ(decodeReadBack(variant.toStdString()), sent) << name;
}

TEST(ReadBackReply, DollarInsideATextIsPartOfIt)
{
    const std::pair<const char *, bool> rows[] = {
        {"00PS=\"CA", true}, // inside a PS value
        {"00PS=", true}, // between key and value
        {"00PS=\"CASH FM \"", false},
        {"RT=\"" /* 64 characters follow */, true},
        {"3MG=\"abc", true},
        {"8MG=\"abc", false}, // no such message
        {"MS=1\r\n", false},
        {"", false},
    };
    for (const auto &[buffer, inside] : rows)
        EXPECT_EQ(endsInsideTextValue(buffer), inside) << buffer;
}
