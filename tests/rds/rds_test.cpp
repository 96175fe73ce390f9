#include "link/encodings.h"
#include "rds/ps_upload.h"
#include "rds/rds_model.h"
#include "rds/rds_upload.h"
#include "rds/rt_ps_upload.h"
#include "settings/line_speed.h"
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
using test::loadedDefaults;

namespace {

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
    EXPECT_EQ((std::vector<qsizetype>{countryLabels().size(), areaLabels().size(), programReferenceLabels().size(),
                  eccLabels().size(), ptyLabels().size(), afLabels().size()}),
        (std::vector<qsizetype>{15, 16, 256, 20, 32, 205}));
    const std::pair<QString, const char *> labels[] = {{countryLabels().first(), "1"}, {countryLabels().last(), "F"},
        {areaLabels()[4], "R1"}, {areaLabels().last(), "R12"}, {programReferenceLabels()[224], "E0"},
        {eccLabels()[7], "D0"}, {ptyLabels()[18], "Children's program"}, {afLabels()[0], "empty"},
        {afLabels()[1], "87.6"}, {afLabels()[5], "88"}, {afLabels()[125], "100"}, {afLabels()[204], "107.9"}};
    for (const auto &[label, want] : labels)
        EXPECT_EQ(label, QLatin1String(want));

    const std::tuple<const char *, int, int, int, int> byText[] = {// text, country, area, ecc, pty
        {"1", 1, -1, -1, -1}, {"F", 15, -1, -1, -1}, {"L", -1, 0, -1, -1}, {"R12", -1, 15, -1, -1},
        {"A0", -1, -1, 1, -1}, {"F3", -1, -1, 20, -1}, {"Undefined", -1, -1, -1, 0}, {"Alarm", -1, -1, -1, 31},
        {"G", -1, -1, -1, -1}};
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
        const char *pi, *ccac;
    };
    const Row rows[] = {{3, 1, 128, "3180", "049"}, {15, 15, 255, "FFFF", "255"}, {1, 0, 0, "1000", "016"},
        {14, 2, 224, "E2E0", "226"}};
    for (const Row &row : rows) {
        SettingsRecord r;
        r.CountryCode = row.country;
        r.AreaCoverage = row.area;
        r.ProgramReference = row.reference;
        EXPECT_EQ(piCodeText(r), QLatin1String(row.pi));
        EXPECT_EQ(ccacValue(r), QByteArray(row.ccac));
    }
    EXPECT_EQ(piCodeText(QStringLiteral("3"), -1, QStringLiteral("80")), QStringLiteral("380"));
    SettingsRecord r;
    r.DId = {1, 0, 1, 0};
    EXPECT_EQ(diValue(r), 5);
    EXPECT_EQ(offsetByte(diValue(r)), QByteArray(1, '\x09'));
}

TEST(RdsModel, AlternativeFrequenciesStayAnUnbrokenRun)
{
    SettingsRecord r;
    for (int k = 1; k <= 7; ++k)
        setAlternativeFrequency(r, k, 100 + k);
    EXPECT_EQ(countAlternativeFrequencies(r), 7);
    setAlternativeFrequency(r, 3, 0);
    EXPECT_EQ(r.AF, (std::array<int16_t, 8>{0, 101, 102, 0, 0, 0, 0, 0}));
    EXPECT_EQ(countAlternativeFrequencies(r), 2);
    EXPECT_TRUE(isAfListEnabled(r, 3));
    EXPECT_FALSE(isAfListEnabled(r, 4));
    setAlternativeFrequency(r, 1, 0);
    EXPECT_EQ(countAlternativeFrequencies(r), 0);
}

TEST(RdsModel, TextRules)
{
    EXPECT_EQ(cutText(QString(70, QLatin1Char('r'))).size(), 64);
    EXPECT_EQ(padText(QString(70, QLatin1Char('r'))).size(), 64);
    EXPECT_EQ(normalizePs(QStringLiteral("ABCDEFGHIJ")), QStringLiteral("ABCDEFGH"));
    SettingsRecord r;
    r.PS[0] = QStringLiteral("AB");
    r.PS[99] = QString();
    normalizePsTexts(r);
    EXPECT_EQ(r.PS[0], QStringLiteral("AB      "));
    EXPECT_EQ(r.PS[99], QString(8, QLatin1Char(' ')));
}

// Each frame with its value for the default settings (nullptr: not checked
// here), the statuses set before and inside it, and the pause after it.
TEST(RdsUpload, SequenceMatchesItsTable)
{
    struct Row {
        const char *name, *value;
        const char *before; // status set before the frame (or after the previous one)
        double beforeStep;
        const char *inside;
        double step;
        int pauseAfter;
    };
    const Row rows[] = {
        {"PWR", "1", "Sending settings to RDS encoder... 5%", 1, "Sending PWR to RDS encoder... 15%", 1, 50},
        {"CCAC", "049", "Sending settings to RDS encoder... 10%", 1, "Sending CCAC to RDS encoder... 15%", 1, 50},
        {"PREF", "128", "Sending PI to RDS encoder... 20%", 2, nullptr, 0, 50},
        {"PTY", "10", "Sending PTY to RDS encoder... 25%", 3, nullptr, 0, 50},
        {"TP", "0", nullptr, 0, "Sending TP to RDS encoder... 30%", 4, 150},
        {"TA", "0", nullptr, 0, "Sending TA to RDS encoder... 35%", 5, 60},
        {"GCT", "0", nullptr, 0, nullptr, 0, 110},
        {"GRT", "0", "Sending GCT to RDS encoder... 36%", 6, nullptr, 0, 120},
        {"GEON", "0", "Sending GRT to RDS encoder... 37%", 6, nullptr, 0, 110},
        {"MS", "0", "Sending GEON to RDS encoder... 38%", 6, "Sending MS to RDS encoder... 40%", 6, 50},
        {"Did0", "1", nullptr, 0, "Sending DID0 to RDS encoder... 45%", 7, 50},
        {"Did1", "1", nullptr, 0, "Sending DID1 to RDS encoder... 47%", 7, 50},
        {"Did2", "1", nullptr, 0, "Sending DID2 to RDS encoder... 49%", 7, 50},
        {"Did3", "1", nullptr, 0, "Sending DID3 to RDS encoder... 52%", 8, 50},
        {"AF0", nullptr, nullptr, 0, "Sending AF0 to RDS encoder... 55%", 8, 50},
        {"AF1", "\x81", nullptr, 0, "Sending AF1 to RDS encoder... 57%", 12, 50},
        {"AF2", "\x04", nullptr, 0, "Sending AF2 to RDS encoder... 60%", 13, 50},
        {"AF3", "\x04", nullptr, 0, "Sending AF3 to RDS encoder... 65%", 14, 50},
        {"AF4", "\x04", nullptr, 0, "Sending AF4 to RDS encoder... 70%", 15, 50},
        {"AF5", "\x04", nullptr, 0, "Sending AF5 to RDS encoder... 75%", 16, 50},
        {"AF6", "\x04", nullptr, 0, "Sending AF6 to RDS encoder... 80%", 17, 50},
        {"AF7", "\x04", nullptr, 0, "Sending AF7 to RDS encoder... 85%", 18, 50},
        {"RT", nullptr, nullptr, 0, "Sending RT to RDS encoder... 0%", 18, 50},
        {"PS00", "QRV5260+", nullptr, 0, "Sending PS to RDS encoder...", 18, 50},
        {"ECC", "\x07", nullptr, 0, "Sending ECC to RDS encoder... 90%", 19, 150},
        {"SAVE", nullptr, nullptr, 0, "Sending store settings command...", 19, 120},
    };
    const auto frames = framesOf(rdsSettingsSequence(loadedDefaults(), Attended::Yes));
    ASSERT_EQ(frames.size(), std::size(rows));
    for (size_t i = 0; i < frames.size(); ++i) {
        const auto &f = frames[i];
        const Row &row = rows[i];
        EXPECT_EQ(f.name, QByteArray(row.name));
        EXPECT_EQ(f.leadIn, 1) << row.name;
        if (row.value) {
            EXPECT_EQ(hex(f.value), hex(QByteArray(row.value))) << row.name;
        }
        EXPECT_EQ(f.pauseAfterMs, row.pauseAfter) << row.name;
        using V = std::vector<step::Status>;
        const V before = row.before ? V{{QLatin1String(row.before), row.beforeStep}} : V{};
        const V inside = row.inside ? V{{QLatin1String(row.inside), row.step}} : V{};
        EXPECT_EQ(f.before, before) << row.name;
        EXPECT_EQ(f.inside, inside) << row.name;
        // Only the static PS waits for the operator; the store command's terminator follows at once.
        EXPECT_EQ(f.confirmed, f.name == "PS00") << row.name;
        EXPECT_EQ(f.pauseBeforeTerminatorMs, f.name == "SAVE" ? 0 : 10) << row.name;
    }
    EXPECT_FALSE(frameNamed(rdsSettingsSequence(loadedDefaults(), Attended::No), "PS00")->confirmed);
}

TEST(RdsUpload, RadioTextBlockIsAlwaysSixtyFourCharacters)
{
    const std::pair<int, int> rows[] = {{3, 61}, {62, 2}, {64, 0}, {0, 64}};
    for (const auto &[length, returns] : rows) {
        const QByteArray v = rtBlockValue(QString(length, QLatin1Char('a')));
        EXPECT_EQ(v, QByteArray(length, 'a') + QByteArray(returns, '\r')) << length;
    }
}

TEST(RtAndPs, FramesStatusesAndValues)
{
    SettingsRecord r = loadedDefaults();
    r.PS[7] = QStringLiteral("NEWS    ");
    r.PSDelay[12] = 3;
    r.RT = QStringLiteral("  abcde");
    r.MG[0] = QString(64, QLatin1Char('m'));
    r.MG[3] = QStringLiteral(" short");
    const WireScript s = sendRtAndPsScript(r);
    const auto frames = framesOf(s);
    ASSERT_EQ(frames.size(), 1u + 8 + 100 + 100 + 1);
    EXPECT_EQ(frames.back().name, QByteArray("SAVE"));
    EXPECT_EQ(frameNamed(s, "PS07")->value, QByteArray("NEWS    "));
    EXPECT_EQ(frameNamed(s, "PD12")->value, QByteArray("3"));
    EXPECT_EQ(frameNamed(s, "RT")->value, QByteArray("abcde\r\r\r"));
    EXPECT_EQ(frameNamed(s, "MG0")->value, QByteArray(64, 'm'));
    EXPECT_EQ(frameNamed(s, "MG3")->value, QByteArray("short\r"));

    const std::tuple<const char *, const char *, double> statuses[] = {{"RT", "Sending RT to RDS encoder... 0%", 1},
        {"MG0", "Sending Message 0 to RDS encoder... 10%", 1}, {"MG3", "Sending Message 3 to RDS encoder... 40%", 1},
        {"MG5", "Sending Message 5 to RDS encoder... 65%", 1}, {"MG7", "Sending Message 7 to RDS encoder... 90%", 1},
        {"PS00", "Sending PS0 to RDS encoder...0%", 0}, {"PS05", "Sending PS5 to RDS encoder...2.5%", 0.45},
        {"PS99", "Sending PS99 to RDS encoder...49.5%", 8.91}, {"PD05", "Sending DELAY5 to RDS encoder...52.5%", 9.45},
        {"PD99", "Sending DELAY99 to RDS encoder...99.5%", 17.91}};
    for (const auto &[name, text, step] : statuses) {
        const auto f = frameNamed(s, name);
        ASSERT_EQ(f->inside.size(), 1u) << name;
        EXPECT_EQ(f->inside[0].text, QLatin1String(text));
        EXPECT_NEAR(f->inside[0].progress, step, 1e-9) << name;
    }
    EXPECT_EQ(s.steps()[1], Step(step::Open{lineSettingsForSpeed(r.COMSpeed)}));
    EXPECT_TRUE(std::holds_alternative<step::Ready>(s.steps().back()));
}

// Texts come from a store anyone can edit and from the device's read-back; a
// framing byte among them must not end its frame early and turn the rest into
// a command of its own (here "FF", a frequency change).
TEST(RtAndPs, TextsStayInsideTheirFrames)
{
    MemoryStore store;
    store.setValue(QStringLiteral("RT"), QString::fromUtf16(u"Hi\2FF\1\5\5\2", 9));
    store.setValue(QStringLiteral("PS3"), QString::fromUtf16(u"A\0B\1C\2D ", 8));
    store.setValue(QStringLiteral("MG2"), QString::fromUtf16(u"\2x", 2));
    SettingsRecord r;
    Settings(r, store).loadAll();

    const auto frames = test::splitFrames(sendRtAndPsScript(r).bytes());
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
