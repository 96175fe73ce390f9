// Applying a decoded read-back to the settings record through the controls' rules.
#include "link/reply_parser.h"
#include "rds/read_back.h"
#include "support/read_back_layout.h"

#include <gtest/gtest.h>

using namespace zfm;

// Table rows name only the fields they set; every other field keeps its default.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

ReadBack feedThrough(const QByteArray &reply)
{
    ReplyParser parser;
    for (const char c : reply)
        EXPECT_FALSE(parser.feed(c).finished());
    return std::get<ReadBack>(parser.feed('$').event);
}

// A record an operator could have sent: every read-back field off its default,
// texts at their boxes' lengths, the AFs an unbroken run.
SettingsRecord sentRecord()
{
    SettingsRecord r;
    for (int i = 0; i < kPsEntries; ++i) {
        r.PS[i] = QStringLiteral("ENTRY %1").arg(i, 2, 10, QLatin1Char('0'));
        r.PSDelay[i] = int16_t((i * 7 + 3) % 10);
    }
    r.PS[42] = QStringLiteral("Café €5 ");
    r.AF = {0, 125, 130, 204, 1, 0, 0, 0};
    r.RT = QStringLiteral("Now on air: Ke$ha - TiK ToK, \"live\"").leftJustified(kLongTextLength);
    for (int n = 0; n < kMessages; ++n)
        r.MG[n] = QStringLiteral("Studio message %1 (TA TP MS)").arg(n).leftJustified(kLongTextLength);
    r.AFNum = 4, r.PTY = 26, r.RDSActive = false, r.ECC = 17, r.CountryCode = 13, r.AreaCoverage = 15;
    r.ProgramReference = 0, r.TA = r.TP = r.MS = 1;
    r.DId = {0, 1, 0, 1};
    return r;
}

} // namespace

TEST(ReadBack, RoundTripRestoresTheRecord)
{
    const SettingsRecord sent = sentRecord();
    SettingsRecord record; // the defaults
    const ReadBackOutcome outcome = applyReadBack(feedThrough(test::readBackLayout(test::readBackOf(sent))), record);

    EXPECT_TRUE(record == sent) << "some field differs from what the encoder was sent";
    EXPECT_TRUE(outcome.rejected.empty());
    const ReadBackGroups all = ReadBackGroup::DynamicPs | ReadBackGroup::AlternativeFrequencies
        | ReadBackGroup::ProgramType | ReadBackGroup::RadioText | ReadBackGroup::Messages | ReadBackGroup::RdsActive
        | ReadBackGroup::Ecc | ReadBackGroup::PiCode | ReadBackGroup::Flags;
    EXPECT_EQ(outcome.changed, all);

    // Reading the same settings again changes nothing.
    EXPECT_EQ(applyReadBack(test::readBackOf(sent), record).changed, ReadBackGroups());
}

// Each row: the items received, the fields they change on a default record,
// the values refused, the groups reported changed.
TEST(ReadBack, ValuesGoThroughTheListRules)
{
    using G = ReadBackGroup;
    struct Row {
        const char *name;
        ReadBack received;
        SettingsRecord want;
        std::vector<RejectedValue> rejected;
        ReadBackGroups changed;
    };
    const Row rows[] = {
        {"nothing received", {}, {}, {}, {}},
        {"CCAC 226", {.ccac = 226}, {.CountryCode = 14, .AreaCoverage = 2}, {}, G::PiCode},
        {"CCAC as it is", {.ccac = 49}, {}, {}, {}},
        {"0AF 230", {.af = {230}}, {.AFNum = 2}, {}, G::AlternativeFrequencies},
        {"0AF 240", {.af = {240}}, {}, {{"AFNum", 12}}, {}},
        {"3AF 104", {.af = {std::nullopt, 129, 134, 104}}, {.AF = {0, 125, 130, 100}}, {}, G::AlternativeFrequencies},
        {"AF code 230", {.af = {std::nullopt, 234}}, {}, {{"AF1", 230}}, {}},
        {"PTY 31", {.pty = 31}, {.PTY = 31}, {}, G::ProgramType},
        {"ECC 20", {.ecc = 24}, {.ECC = 20}, {}, G::Ecc},
        {"ECC 0", {.ecc = 4}, {}, {{"ECC", 0}}, {}},
        {"ECC 25", {.ecc = 29}, {}, {{"ECC", 25}}, {}},
        {"PREF 300", {.pref = 300}, {}, {{"ProgramReference", 300}}, {}},
        {"flags: not 0 is 1", {.ta = 5, .tp = 0, .did = {0, 7, 0, 1}, .ms = 9}, {.TA = 1, .MS = 1, .DId = {0, 1, 0, 1}},
            {}, G::Flags},
        {"several refused", {.pty = 45, .ecc = 0, .ccac = 0, .tp = 1}, {.AreaCoverage = 0, .TP = 1},
            {{"PTY", 45}, {"ECC", -4}, {"CountryCode", 0}}, G::PiCode | G::Flags},
    };
    for (const Row &row : rows) {
        SettingsRecord record;
        const ReadBackOutcome outcome = applyReadBack(row.received, record);
        EXPECT_TRUE(record == row.want) << row.name;
        EXPECT_EQ(outcome.rejected, row.rejected) << row.name;
        EXPECT_EQ(outcome.changed, row.changed) << row.name;
    }
}

// Each AF list selects its received position in turn, 1 to 7; a list at
// "empty" empties every later list, so the run from AF1 is never broken.
TEST(ReadBack, AfListsKeepAnUnbrokenRun)
{
    using Afs = std::array<int16_t, 8>;
    using Received = std::array<std::optional<int>, kReadBackAfItems>;
    struct Row {
        const char *name;
        Afs before;
        Received received;
        Afs want;
    };
    const Afs full = {0, 125, 130, 135, 140, 145, 150, 155};
    const Row rows[] = {
        {"empty AF3 clears 4 to 7", full, {std::nullopt, std::nullopt, std::nullopt, 4}, {0, 125, 130, 0, 0, 0, 0, 0}},
        {"frequencies after an empty list are dropped", {}, {std::nullopt, 129, 4, 144, 149, 154, 159, 164},
            {0, 125, 0, 0, 0, 0, 0, 0}},
        {"seven in use", {}, {std::nullopt, 5, 6, 7, 8, 9, 10, 208}, {0, 1, 2, 3, 4, 5, 6, 204}},
        {"a refused list keeps its position, and the run follows it", {0, 125}, {std::nullopt, std::nullopt, 234, 104},
            {0, 125, 0, 0, 0, 0, 0, 0}},
        {"nothing received", {0, 125, 130}, {}, {0, 125, 130, 0, 0, 0, 0, 0}},
    };
    for (const Row &row : rows) {
        SettingsRecord record;
        record.AF = row.before;
        ReadBack received;
        received.af = row.received;
        applyReadBack(received, record);
        EXPECT_EQ(record.AF, row.want) << row.name;
    }
}
