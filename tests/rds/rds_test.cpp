#include "rds/rds_model.h"
#include "rds/rds_upload.h"
#include "rds/rt_ps_upload.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "support/script_frames.h"
#include "support/wire_frames.h"

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

TEST(RdsModel, PiCodeAndValues)
{
    struct Row {
        int country, area, reference;
        const char *pi, *ccac;
    };
    const Row rows[] = {{3, 1, 128, "3180", "049"}, {15, 15, 255, "FFFF", "255"}, {1, 0, 0, "1000", "016"}};
    for (const Row &row : rows) {
        SettingsRecord r;
        r.CountryCode = row.country;
        r.AreaCoverage = row.area;
        r.ProgramReference = row.reference;
        EXPECT_EQ(piCodeText(r), QLatin1String(row.pi));
        EXPECT_EQ(ccacValue(r), QByteArray(row.ccac));
    }
    EXPECT_EQ(piCodeText(QStringLiteral("3"), -1, QStringLiteral("80")), QStringLiteral("380"));
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
    setAlternativeFrequency(r, 1, 0);
    EXPECT_EQ(countAlternativeFrequencies(r), 0);
}

// Each frame with its value for the default settings (nullptr: not checked
// here) and the pause after it.
TEST(RdsUpload, Sequence)
{
    struct Row {
        const char *name, *value;
        int pauseAfter;
    };
    const Row rows[] = {{"PWR", "1", 50}, {"CCAC", "049", 50}, {"PREF", "128", 50}, {"PTY", "10", 50}, {"TP", "0", 150},
        {"TA", "0", 60}, {"GCT", "0", 110}, {"GRT", "0", 120}, {"GEON", "0", 110}, {"MS", "0", 50}, {"Did0", "1", 50},
        {"Did1", "1", 50}, {"Did2", "1", 50}, {"Did3", "1", 50}, {"AF0", nullptr, 50}, {"AF1", "\x81", 50},
        {"AF2", "\x04", 50}, {"AF3", "\x04", 50}, {"AF4", "\x04", 50}, {"AF5", "\x04", 50}, {"AF6", "\x04", 50},
        {"AF7", "\x04", 50}, {"RT", nullptr, 50}, {"PS00", "QRV5260+", 50}, {"ECC", "\x07", 150},
        {"SAVE", nullptr, 120}};
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
        // Only the static PS waits for the operator; the store command's terminator follows at once.
        EXPECT_EQ(f.confirmed, f.name == "PS00") << row.name;
        EXPECT_EQ(f.pauseBeforeTerminatorMs, f.name == "SAVE" ? 0 : 10) << row.name;
    }
    EXPECT_FALSE(frameNamed(rdsSettingsSequence(loadedDefaults(), Attended::No), "PS00")->confirmed);
}

// In the RDS settings the RadioText is always 64 characters; elsewhere
// leading blanks go, three carriage returns follow, and it is cut to 64.
TEST(RdsModel, RadioTextValues)
{
    const std::pair<int, int> rows[] = {{3, 61}, {62, 2}, {64, 0}, {0, 64}};
    for (const auto &[length, returns] : rows) {
        const QByteArray v = rtBlockValue(QString(length, QLatin1Char('a')));
        EXPECT_EQ(v, QByteArray(length, 'a') + QByteArray(returns, '\r')) << length;
    }
    EXPECT_EQ(rtValue(QString(70, QLatin1Char('x'))), QByteArray(64, 'x'));
    EXPECT_EQ(rtValue(QString(62, QLatin1Char('x'))), QByteArray(62, 'x') + "\r\r");
}

// RT, the eight messages, the hundred texts and the hundred delays, each
// paced as every frame, then the store command 100 ms after the last.
TEST(RtAndPs, FramesAndValues)
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
    const std::pair<size_t, const char *> order[]
        = {{0, "RT"}, {1, "MG0"}, {8, "MG7"}, {9, "PS00"}, {108, "PS99"}, {109, "PD00"}, {208, "PD99"}, {209, "SAVE"}};
    for (const auto &[at, name] : order)
        EXPECT_EQ(frames[at].name, QByteArray(name)) << at;
    for (size_t i = 0; i < 208; ++i)
        EXPECT_EQ(std::pair(frames[i].pauseBeforeTerminatorMs, frames[i].pauseAfterMs), std::pair(10, 50)) << i;
    EXPECT_EQ(frames[208].pauseAfterMs, 150);
    EXPECT_EQ(frameNamed(s, "PS07")->value, QByteArray("NEWS    "));
    EXPECT_EQ(frameNamed(s, "PD12")->value, QByteArray("3"));
    EXPECT_EQ(frameNamed(s, "RT")->value, QByteArray("abcde\r\r\r"));
    EXPECT_EQ(frameNamed(s, "MG0")->value, QByteArray(64, 'm'));
    EXPECT_EQ(frameNamed(s, "MG3")->value, QByteArray("short\r"));
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
