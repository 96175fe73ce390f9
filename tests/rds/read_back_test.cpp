// Applying a decoded read-back to the settings record through the controls' rules.
#include "link/reply_parser.h"
#include "rds/read_back.h"
#include "support/read_back_layout.h"

#include <gtest/gtest.h>

#include <functional>

using namespace zfm;

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
    r.AFNum = 4;
    r.PTY = 26;
    r.RT = QStringLiteral("Now on air: Ke$ha - TiK ToK, \"live\"").leftJustified(kLongTextLength);
    for (int n = 0; n < kMessages; ++n)
        r.MG[n] = QStringLiteral("Studio message %1 (TA TP MS)").arg(n).leftJustified(kLongTextLength);
    r.RDSActive = false;
    r.ECC = 17;
    r.CountryCode = 13;
    r.AreaCoverage = 15;
    r.ProgramReference = 0;
    r.TA = 1;
    r.TP = 1;
    r.MS = 1;
    r.DId = {0, 1, 0, 1};
    return r;
}

} // namespace

TEST(ReadBack, RoundTripRestoresTheRecord)
{
    const SettingsRecord sent = sentRecord();
    SettingsRecord record; // the defaults
    const ReadBackOutcome outcome = applyReadBack(feedThrough(test::readBackLayout(test::readBackOf(sent))), record);

    EXPECT_EQ(record.PS[42], sent.PS[42]);
    EXPECT_EQ(record.RT, sent.RT);
    EXPECT_EQ(record.AF, sent.AF);
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
        std::function<void(ReadBack &)> received;
        std::function<void(SettingsRecord &)> want;
        std::vector<RejectedValue> rejected;
        ReadBackGroups changed;
    };
    const Row rows[] = {
        {"nothing received", [](ReadBack &) {}, [](SettingsRecord &) {}, {}, {}},
        {"CCAC 226", [](ReadBack &v) { v.ccac = 226; },
            [](SettingsRecord &r) {
                r.CountryCode = 14;
                r.AreaCoverage = 2;
            },
            {}, G::PiCode},
        {"CCAC 5: no country 0", [](ReadBack &v) { v.ccac = 5; }, [](SettingsRecord &r) { r.AreaCoverage = 5; },
            {{"CountryCode", 0}}, G::PiCode},
        {"CCAC 999", [](ReadBack &v) { v.ccac = 999; }, [](SettingsRecord &r) { r.AreaCoverage = 7; },
            {{"CountryCode", 62}}, G::PiCode},
        {"CCAC as it is", [](ReadBack &v) { v.ccac = 49; }, [](SettingsRecord &) {}, {}, {}},
        {"0AF 230", [](ReadBack &v) { v.af[0] = 230; }, [](SettingsRecord &r) { r.AFNum = 2; }, {},
            G::AlternativeFrequencies},
        {"0AF 240", [](ReadBack &v) { v.af[0] = 240; }, [](SettingsRecord &) {}, {{"AFNum", 12}}, {}},
        {"3AF 104",
            [](ReadBack &v) {
                v.af = {std::nullopt, 129, 134, 104};
            },
            [](SettingsRecord &r) {
                r.AF = {0, 125, 130, 100, 0, 0, 0, 0};
            },
            {}, G::AlternativeFrequencies},
        {"AF code 230", [](ReadBack &v) { v.af[1] = 234; }, [](SettingsRecord &) {}, {{"AF1", 230}}, {}},
        {"AF code below 0", [](ReadBack &v) { v.af[1] = 2; }, [](SettingsRecord &) {}, {{"AF1", -2}}, {}},
        {"PTY 31", [](ReadBack &v) { v.pty = 31; }, [](SettingsRecord &r) { r.PTY = 31; }, {}, G::ProgramType},
        {"PTY 45", [](ReadBack &v) { v.pty = 45; }, [](SettingsRecord &) {}, {{"PTY", 45}}, {}},
        {"ECC 20", [](ReadBack &v) { v.ecc = 24; }, [](SettingsRecord &r) { r.ECC = 20; }, {}, G::Ecc},
        {"ECC 0", [](ReadBack &v) { v.ecc = 4; }, [](SettingsRecord &) {}, {{"ECC", 0}}, {}},
        {"ECC 25", [](ReadBack &v) { v.ecc = 29; }, [](SettingsRecord &) {}, {{"ECC", 25}}, {}},
        {"PREF 0", [](ReadBack &v) { v.pref = 0; }, [](SettingsRecord &r) { r.ProgramReference = 0; }, {}, G::PiCode},
        {"PREF 300", [](ReadBack &v) { v.pref = 300; }, [](SettingsRecord &) {}, {{"ProgramReference", 300}}, {}},
        {"flags: not 0 is 1",
            [](ReadBack &v) {
                v.ta = 5;
                v.tp = 0;
                v.ms = 9;
                v.did = {0, 7, 0, 1};
            },
            [](SettingsRecord &r) {
                r.TA = 1;
                r.MS = 1;
                r.DId = {0, 1, 0, 1};
            },
            {}, G::Flags},
        {"PWR 0", [](ReadBack &v) { v.rdsActive = false; }, [](SettingsRecord &r) { r.RDSActive = false; }, {},
            G::RdsActive},
        {"texts",
            [](ReadBack &v) {
                v.ps[7] = QStringLiteral("NEWS    ");
                v.psDelay[7] = 4;
                v.rt = QString(kLongTextLength, QLatin1Char('r'));
                v.mg[3] = QString(kLongTextLength, QLatin1Char('m'));
            },
            [](SettingsRecord &r) {
                r.PS[7] = QStringLiteral("NEWS    ");
                r.PSDelay[7] = 4;
                r.RT = QString(kLongTextLength, QLatin1Char('r'));
                r.MG[3] = QString(kLongTextLength, QLatin1Char('m'));
            },
            {}, G::DynamicPs | G::RadioText | G::Messages},
        {"several refused at once",
            [](ReadBack &v) {
                v.pty = 45;
                v.ecc = 0;
                v.ccac = 0;
                v.tp = 1;
            },
            [](SettingsRecord &r) {
                r.AreaCoverage = 0;
                r.TP = 1;
            },
            {{"PTY", 45}, {"ECC", -4}, {"CountryCode", 0}}, G::PiCode | G::Flags},
    };
    for (const Row &row : rows) {
        ReadBack received;
        row.received(received);
        SettingsRecord record;
        SettingsRecord want;
        row.want(want);
        const ReadBackOutcome outcome = applyReadBack(received, record);
        EXPECT_TRUE(record == want) << row.name;
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
        {"empty AF1 clears all", full, {std::nullopt, 4}, {0, 0, 0, 0, 0, 0, 0, 0}},
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

TEST(ReadBack, AbortedReadBackChangesOnlyTheEarlierDelays)
{
    const SettingsRecord sent = sentRecord();
    QByteArray reply = test::readBackLayout(test::readBackOf(sent));
    reply[reply.indexOf("07PD") + 5] = 'x';

    SettingsRecord record;
    const ReadBackOutcome outcome = applyReadBack(feedThrough(reply), record);

    SettingsRecord want;
    for (int i = 0; i < 7; ++i)
        want.PSDelay[i] = sent.PSDelay[i];
    EXPECT_TRUE(record == want);
    EXPECT_EQ(outcome.changed, ReadBackGroups(ReadBackGroup::DynamicPs));

    // Whatever else such a read-back carries is not applied.
    ReadBack stray;
    stray.abortedAt = 0;
    stray.pty = 1;
    stray.af[1] = 4;
    SettingsRecord untouched;
    applyReadBack(stray, untouched);
    EXPECT_TRUE(untouched == SettingsRecord{});
}
