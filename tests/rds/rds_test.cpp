#include "link/encodings.h"
#include "rds/ps_upload.h"
#include "rds/rds_model.h"
#include "rds/rds_upload.h"
#include "rds/rt_ps_upload.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "support/script_frames.h"
#include "support/wire_frames.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace zfm;
using test::framesOf;
using test::FrameView;
using test::hex;

namespace {

SettingsRecord classicDefaults()
{
    SettingsRecord r;
    MemoryStore store;
    Settings(r, store).LoadAllSettings();
    return r;
}

std::optional<FrameView> frameNamed(const WireScript &s, const char *name)
{
    for (const auto &f : framesOf(s))
        if (f.name == name)
            return f;
    return std::nullopt;
}

} // namespace

TEST(RdsModel, ListsFollowTheRdsTables)
{
    EXPECT_EQ(countryLabels().size(), 15);
    EXPECT_EQ(countryLabels().first(), QStringLiteral("1"));
    EXPECT_EQ(countryLabels().last(), QStringLiteral("F"));
    EXPECT_EQ(areaLabels().size(), 16);
    EXPECT_EQ(areaLabels()[4], QStringLiteral("R1"));
    EXPECT_EQ(areaLabels().last(), QStringLiteral("R12"));
    EXPECT_EQ(programReferenceLabels().size(), 256);
    EXPECT_EQ(programReferenceLabels()[224], QStringLiteral("E0"));
    EXPECT_EQ(eccLabels().size(), 20);
    EXPECT_EQ(eccLabels()[7], QStringLiteral("D0"));
    EXPECT_EQ(ptyLabels().size(), 32);
    EXPECT_EQ(ptyLabels()[18], QStringLiteral("Children's program"));
    const QStringList af = afLabels();
    ASSERT_EQ(af.size(), 205);
    EXPECT_EQ(af[0], QStringLiteral("empty"));
    EXPECT_EQ(af[1], QStringLiteral("87.6"));
    EXPECT_EQ(af[5], QStringLiteral("88"));
    EXPECT_EQ(af[125], QStringLiteral("100"));
    EXPECT_EQ(af[204], QStringLiteral("107.9"));

    const std::tuple<const char *, int, int, int, int> byText[] = {
        // text, country, area, ecc, pty
        {"1", 1, -1, -1, -1},
        {"F", 15, -1, -1, -1},
        {"L", -1, 0, -1, -1},
        {"R12", -1, 15, -1, -1},
        {"A0", -1, -1, 1, -1},
        {"F3", -1, -1, 20, -1},
        {"Undefined", -1, -1, -1, 0},
        {"Alarm", -1, -1, -1, 31},
        {"G", -1, -1, -1, -1},
    };
    for (const auto &[text, c, a, e, p] : byText) {
        const QString t = QLatin1String(text);
        EXPECT_EQ(countryFromText(t), c) << text;
        EXPECT_EQ(areaFromText(t), a) << text;
        EXPECT_EQ(eccFromText(t), e) << text;
        EXPECT_EQ(ptyFromText(t), p) << text;
    }
}

TEST(RdsModel, PiCodeAndValues)
{
    struct Row {
        int country, area, reference;
        const char *pi, *ccac, *pref;
    };
    const Row rows[] = {{3, 1, 128, "3180", "049", "128"}, {15, 15, 255, "FFFF", "255", "255"},
        {1, 0, 0, "1000", "016", "000"}, {14, 2, 224, "E2E0", "226", "224"}};
    for (const Row &row : rows) {
        SettingsRecord r;
        r.CountryCode = row.country;
        r.AreaCoverage = row.area;
        r.ProgramReference = row.reference;
        EXPECT_EQ(piCodeText(r), QLatin1String(row.pi));
        EXPECT_EQ(ccacValue(r), QByteArray(row.ccac));
        EXPECT_EQ(PaddedDecimal3(r.ProgramReference), QByteArray(row.pref));
    }
    EXPECT_EQ(ShowPICode(QStringLiteral("3"), -1, QStringLiteral("80")), QStringLiteral("380"));
    SettingsRecord r;
    r.DId = {1, 0, 1, 0};
    EXPECT_EQ(DIValue(r), 5);
    EXPECT_EQ(OffsetByte(DIValue(r)), QByteArray(1, '\x09'));
}

TEST(RdsModel, AlternativeFrequenciesStayAnUnbrokenRun)
{
    SettingsRecord r;
    for (int k = 1; k <= 7; ++k)
        setAlternativeFrequency(r, k, 100 + k);
    EXPECT_EQ(countAlternativeFrequencies(r), 7);
    EXPECT_EQ(OffsetByte(kAfCountBase + countAlternativeFrequencies(r)), QByteArray(1, char(235)));
    setAlternativeFrequency(r, 3, 0);
    EXPECT_EQ(r.AF, (std::array<int16_t, 8>{0, 101, 102, 0, 0, 0, 0, 0}));
    EXPECT_EQ(countAlternativeFrequencies(r), 2);
    EXPECT_TRUE(isAfListEnabled(r, 3));
    EXPECT_FALSE(isAfListEnabled(r, 4));
    setAlternativeFrequency(r, 1, 0);
    EXPECT_EQ(countAlternativeFrequencies(r), 0);
    EXPECT_EQ(OffsetByte(kAfCountBase + 0), QByteArray(1, char(228)));
}

TEST(RdsModel, TextRules)
{
    EXPECT_EQ(cutText(QString(70, QLatin1Char('r'))).size(), 64);
    EXPECT_EQ(padText(QStringLiteral("hi")), QStringLiteral("hi").leftJustified(64));
    EXPECT_EQ(padText(QString(70, QLatin1Char('r'))).size(), 64);
    EXPECT_EQ(normalizePs(QStringLiteral("AB")), QStringLiteral("AB      "));
    EXPECT_EQ(normalizePs(QStringLiteral("ABCDEFGHIJ")), QStringLiteral("ABCDEFGH"));
    SettingsRecord r;
    r.PS[0] = QStringLiteral("AB");
    r.PS[99] = QString();
    NormalizePSTexts(r);
    EXPECT_EQ(r.PS[0], QStringLiteral("AB      "));
    EXPECT_EQ(r.PS[99], QString(8, QLatin1Char(' ')));
}

TEST(RdsUpload, DefaultFramesCarryTheDocumentedValues)
{
    SettingsRecord r = classicDefaults();
    const WireScript s = rdsSettingsSequence(r, Attended::No);
    const std::pair<const char *, QByteArray> rows[] = {
        {"PWR", "1"},
        {"CCAC", "049"},
        {"PREF", "128"},
        {"PTY", "10"},
        {"TP", "0"},
        {"TA", "0"},
        {"GCT", "0"},
        {"GRT", "0"},
        {"GEON", "0"},
        {"MS", "0"},
        {"Did0", "1"},
        {"Did1", "1"},
        {"Did2", "1"},
        {"Did3", "1"},
        {"AF1", "\x81"},
        {"AF2", "\x04"},
        {"AF7", "\x04"},
        {"ECC", "\x07"},
    };
    for (const auto &[name, value] : rows)
        EXPECT_EQ(hex(frameNamed(s, name)->value), hex(value)) << name;
    // AFNum is recomputed before the sequence is built.
    r.AFNum = 5;
    const WireScript full = SendSettingsScript(r, Attended::No);
    EXPECT_EQ(r.AFNum, 1);
    EXPECT_EQ(frameNamed(full, "AF0")->value, QByteArray(1, '\xE5'));
}

TEST(RdsUpload, SequenceMatchesItsTable)
{
    struct Row {
        const char *name;
        const char *before; // status set before the frame (or after the previous one)
        double beforeStep;
        const char *inside;
        double step;
        int pauseAfter;
    };
    const Row rows[] = {
        {"PWR", "Sending settings to RDS encoder... 5%", 1, "Sending PWR to RDS encoder... 15%", 1, 50},
        {"CCAC", "Sending settings to RDS encoder... 10%", 1, "Sending CCAC to RDS encoder... 15%", 1, 50},
        {"PREF", "Sending PI to RDS encoder... 20%", 2, nullptr, 0, 50},
        {"PTY", "Sending PTY to RDS encoder... 25%", 3, nullptr, 0, 50},
        {"TP", nullptr, 0, "Sending TP to RDS encoder... 30%", 4, 150},
        {"TA", nullptr, 0, "Sending TA to RDS encoder... 35%", 5, 60},
        {"GCT", nullptr, 0, nullptr, 0, 110},
        {"GRT", "Sending GCT to RDS encoder... 36%", 6, nullptr, 0, 120},
        {"GEON", "Sending GRT to RDS encoder... 37%", 6, nullptr, 0, 110},
        {"MS", "Sending GEON to RDS encoder... 38%", 6, "Sending MS to RDS encoder... 40%", 6, 50},
        {"Did0", nullptr, 0, "Sending DID0 to RDS encoder... 45%", 7, 50},
        {"Did1", nullptr, 0, "Sending DID1 to RDS encoder... 47%", 7, 50},
        {"Did2", nullptr, 0, "Sending DID2 to RDS encoder... 49%", 7, 50},
        {"Did3", nullptr, 0, "Sending DID3 to RDS encoder... 52%", 8, 50},
        {"AF0", nullptr, 0, "Sending AF0 to RDS encoder... 55%", 8, 50},
        {"AF1", nullptr, 0, "Sending AF1 to RDS encoder... 57%", 12, 50},
        {"AF2", nullptr, 0, "Sending AF2 to RDS encoder... 60%", 13, 50},
        {"AF3", nullptr, 0, "Sending AF3 to RDS encoder... 65%", 14, 50},
        {"AF4", nullptr, 0, "Sending AF4 to RDS encoder... 70%", 15, 50},
        {"AF5", nullptr, 0, "Sending AF5 to RDS encoder... 75%", 16, 50},
        {"AF6", nullptr, 0, "Sending AF6 to RDS encoder... 80%", 17, 50},
        {"AF7", nullptr, 0, "Sending AF7 to RDS encoder... 85%", 18, 50},
        {"RT", nullptr, 0, "Sending RT to RDS encoder... 0%", 18, 50},
        {"PS00", nullptr, 0, "Sending PS to RDS encoder...", 18, 50},
        {"ECC", nullptr, 0, "Sending ECC to RDS encoder... 90%", 19, 150},
        {"SAVE", nullptr, 0, "Sending store settings command...", 19, 120},
    };
    const auto frames = framesOf(rdsSettingsSequence(classicDefaults(), Attended::Yes));
    ASSERT_EQ(frames.size(), std::size(rows));
    for (size_t i = 0; i < frames.size(); ++i) {
        const auto &f = frames[i];
        const Row &row = rows[i];
        EXPECT_EQ(f.name, QByteArray(row.name));
        EXPECT_EQ(f.leadIn, 1) << row.name;
        EXPECT_EQ(f.pauseAfterMs, row.pauseAfter) << row.name;
        using V = std::vector<step::Status>;
        const V before = row.before ? V{{QLatin1String(row.before), row.beforeStep}} : V{};
        const V inside = row.inside ? V{{QLatin1String(row.inside), row.step}} : V{};
        EXPECT_EQ(f.before, before) << row.name;
        EXPECT_EQ(f.inside, inside) << row.name;
    }
}

TEST(RdsUpload, StaticPsWaitsForTheOperatorOnlyWhenAttended)
{
    const SettingsRecord r = classicDefaults();
    const auto attended = frameNamed(rdsSettingsSequence(r, Attended::Yes), "PS00");
    EXPECT_EQ(hex(commandFrame(1, attended->name, attended->value)),
        hex(QByteArray::fromHex("00505330300151525635323630"
                                "2b"
                                "02")));
    EXPECT_TRUE(attended->confirmed);
    EXPECT_EQ(attended->pauseBeforeTerminatorMs, 10);
    EXPECT_FALSE(frameNamed(rdsSettingsSequence(r, Attended::No), "PS00")->confirmed);
    const WireScript s = rdsSettingsSequence(r, Attended::Yes);
    const auto confirm = std::find_if(
        s.steps().begin(), s.steps().end(), [](const Step &st) { return std::holds_alternative<step::Confirm>(st); });
    ASSERT_NE(confirm, s.steps().end());
    EXPECT_EQ(std::get<step::Confirm>(*confirm).text, QStringLiteral("QRV5260+"));
}

TEST(RdsUpload, RadioTextBlockIsAlwaysSixtyFourCharacters)
{
    const std::pair<int, int> rows[] = {{3, 61}, {62, 2}, {64, 0}, {0, 64}};
    for (const auto &[length, returns] : rows) {
        const QByteArray v = rtBlockValue(QString(length, QLatin1Char('a')));
        EXPECT_EQ(v, QByteArray(length, 'a') + QByteArray(returns, '\r')) << length;
    }
}

TEST(RdsUpload, SmallFamilySendsItsOneSequence)
{
    SettingsRecord r = classicDefaults();
    r.MODE = kModeSmall;
    const auto frames = framesOf(SendSettingsScript(r, Attended::Yes));
    EXPECT_EQ(frames.size(), 36u);
    EXPECT_EQ(frames.front().name, QByteArray("FDY"));
    for (const auto &f : frames)
        EXPECT_FALSE(f.confirmed);
}

TEST(RtAndPs, FramesStatusesAndValues)
{
    SettingsRecord r = classicDefaults();
    r.PS[7] = QStringLiteral("NEWS    ");
    r.PSDelay[12] = 3;
    r.RT = QStringLiteral("  abcde");
    r.MG[0] = QString(64, QLatin1Char('m'));
    r.MG[3] = QStringLiteral(" short");
    const WireScript s = SendRTAndPS(r);
    const auto frames = framesOf(s);
    ASSERT_EQ(frames.size(), 1u + 8 + 100 + 100 + 1);
    EXPECT_EQ(frames.back().name, QByteArray("SAVE"));
    const auto wire = [&](const char *name) {
        const auto f = frameNamed(s, name);
        return hex(commandFrame(f->leadIn, f->name, f->value));
    };
    EXPECT_EQ(wire("PS07"),
        hex(QByteArray::fromHex("005053303701"
                                "4e45575320202020"
                                "02")));
    EXPECT_EQ(wire("PD12"),
        hex(QByteArray::fromHex("00504431320133"
                                "02")));
    EXPECT_EQ(frameNamed(s, "RT")->value, QByteArray("abcde\r\r\r"));
    EXPECT_EQ(frameNamed(s, "MG0")->value, QByteArray(64, 'm'));
    EXPECT_EQ(frameNamed(s, "MG3")->value, QByteArray("short\r"));

    const std::tuple<const char *, const char *, double> statuses[] = {
        {"RT", "Sending RT to RDS encoder... 0%", 1},
        {"MG0", "Sending Message 0 to RDS encoder... 10%", 1},
        {"MG3", "Sending Message 3 to RDS encoder... 40%", 1},
        {"MG5", "Sending Message 5 to RDS encoder... 65%", 1},
        {"MG7", "Sending Message 7 to RDS encoder... 90%", 1},
        {"PS00", "Sending PS0 to RDS encoder...0%", 0},
        {"PS05", "Sending PS5 to RDS encoder...2.5%", 0.45},
        {"PS99", "Sending PS99 to RDS encoder...49.5%", 8.91},
        {"PD05", "Sending DELAY5 to RDS encoder...52.5%", 9.45},
        {"PD99", "Sending DELAY99 to RDS encoder...99.5%", 17.91},
    };
    for (const auto &[name, text, step] : statuses) {
        const auto f = frameNamed(s, name);
        ASSERT_EQ(f->inside.size(), 1u) << name;
        EXPECT_EQ(f->inside[0].text, QLatin1String(text));
        EXPECT_NEAR(f->inside[0].progress, step, 1e-9) << name;
    }
    EXPECT_EQ(s.steps()[1], Step(step::Open{LineSource::ComSpeed, {}, false}));
    EXPECT_TRUE(std::holds_alternative<step::Ready>(s.steps().back()));
}

// Texts come from a store anyone can edit and from the device's read-back; a
// framing byte among them must not end its frame early and turn the rest into
// a command of its own (here "FF", a frequency change).
TEST(RtAndPs, TextsStayInsideTheirFrames)
{
    MemoryStore store;
    store.setValue(QStringLiteral("RT"),
        QString::fromUtf16(u"Hi\x02"
                           u"FF\x01\x05\x05\x02",
            9));
    store.setValue(QStringLiteral("PS3"),
        QString::fromUtf16(u"A\0B\x01"
                           u"C\x02"
                           u"D ",
            8));
    store.setValue(QStringLiteral("MG2"),
        QString::fromUtf16(u"\x02"
                           u"x",
            2));
    SettingsRecord r;
    Settings(r, store).LoadAllSettings();

    const auto frames = test::splitFrames(SendRTAndPS(r).bytes());
    const auto value = [&frames](const char *name) {
        const test::WireFrame *f = test::lastFrame(frames, name);
        return f ? f->value : QByteArray("(no frame)");
    };
    EXPECT_EQ(frames.size(), 1u + 8 + 100 + 100 + 1);
    EXPECT_EQ(value("FF"), QByteArray("(no frame)"));
    EXPECT_EQ(value("RT"), QByteArray("Hi?FF?\x05\x05?\r\r\r"));
    EXPECT_EQ(value("PS03"), QByteArray("A?B?C?D "));
    EXPECT_EQ(value("MG2"), QByteArray("?x\r"));
}

TEST(RtAndPs, PercentagesFollowTheUsersNumberFormat)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(halfPercent(5), QStringLiteral("2,5"));
    EXPECT_EQ(halfPercent(4), QStringLiteral("2"));
    QLocale::setDefault(before);
    EXPECT_EQ(halfPercent(5), QStringLiteral("2.5"));
}
