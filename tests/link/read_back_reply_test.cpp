// Decoding the RDS read-back: fixed positions from each key, and keys never
// taken from inside a PS, RadioText or message text.
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

// Through the parser, which must not see the reply's end before its "$".
ReadBack feedThrough(const QByteArray &reply)
{
    ReplyParser parser;
    for (const char c : reply)
        EXPECT_FALSE(parser.feed(c).finished());
    return std::get<ReadBack>(parser.feed('$').event);
}

QString padded(const char *text, int length) { return QString::fromLatin1(text).leftJustified(length, ' ', true); }

using Change = std::function<void(ReadBack &)>;

} // namespace

TEST(ReadBackReply, DecimalNumbers)
{
    const std::pair<const char *, int> rows[]
        = {{"104", 104}, {"007", 7}, {" 12", 12}, {"1 2", 12}, {"12x", 12}, {"x12", 0}, {"-5", 0}, {"", 0}, {"  ", 0}};
    for (const auto &[text, want] : rows)
        EXPECT_EQ(decimalNumber(text), want) << '"' << text << '"';
}

// Each row changes the sample; the reply built from it must decode to exactly
// it. Texts hold keys, quotes, line ends and "$"; items are left out while a
// text holds their key, which must then not be read from the text.
TEST(ReadBackReply, KeysInsideTextsAreNeverUsed)
{
    const std::pair<const char *, Change> rows[] = {
        {"unchanged", [](ReadBack &) {}},
        {"PS STATION", [](ReadBack &v) { v.ps[0] = padded("STATION", 8); }},
        {"PS TA TP MS", [](ReadBack &v) { v.ps[1] = padded("TA TP MS", 8); }},
        {"PS 05PS=", [](ReadBack &v) { v.ps[4] = padded("05PS=\"XY", 8); }},
        {"RT PWR=0", [](ReadBack &v) { v.rt = padded("PWR=0 ECC=999 CCAC=001 PREF=999 TA=1 MS=0 99PD=x", 64); }},
        {"RT quotes, line ends", [](ReadBack &v) { v.rt = padded("\"q\",\r\n0MG=\"evil\"\r\nDID0=0", 64); }},
        {"MG RT", [](ReadBack &v) { v.mg[2] = padded("RT=\"not the RadioText\"", 64); }},
        {"MG 1MG", [](ReadBack &v) { v.mg[0] = padded("1MG=\"forged\" 7AF=999 PTY=45", 64); }},
        {"keys at a text's end", [](ReadBack &v) { v.ps[99] = padded("      RT", 8); }},
        {"dollars", [](ReadBack &v) { v.ps[3] = padded("CA$H FM", 8), v.rt = padded("$ A$AP - Ke$ha $", 64); }},
        // A key in a text, and its item left out.
        {"TA in PS", [](ReadBack &v) { v.ps[2] = padded("TA=1", 8), v.ta.reset(); }},
        {"RT in MG", [](ReadBack &v) { v.mg[0] = padded("RT=\"forged\"", 64), v.rt.reset(); }},
        {"PS 05 in PS 03", [](ReadBack &v) { v.ps[3] = padded("05PS=\"EV", 8), v.ps[5].reset(); }},
        {"PD 42 in RT", [](ReadBack &v) { v.rt = padded("42PD=x", 64), v.psDelay[42].reset(); }},
        {"PWR, ECC in RT", [](ReadBack &v) { v.rt = padded("PWR=0 ECC=009", 64), v.rdsActive.reset(), v.ecc.reset(); }},
        {"every other item missing",
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
    for (const auto &[name, change] : rows) {
        ReadBack sent = sample();
        change(sent);
        const QByteArray reply = test::readBackLayout(sent);
        EXPECT_EQ(feedThrough(reply), sent) << name;
    }
    EXPECT_EQ(test::readBackLayout(sample()).size(), kReadBackLength);
    EXPECT_EQ(decodeReadBack("TA="), ReadBack{}) << "a value past the reply's end is missing";
    EXPECT_EQ(decodeReadBack("PTY=05\r\nPTY=07").pty, 5) << "the first occurrence counts";
}
