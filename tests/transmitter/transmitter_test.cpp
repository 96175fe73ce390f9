#include "link/encodings.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "support/script_frames.h"
#include "transmitter/frequency.h"
#include "transmitter/requests.h"
#include "transmitter/transmitter_tables.h"
#include "transmitter/transmitter_upload.h"

#include <gtest/gtest.h>

#include <array>

using namespace zfm;
using test::framesOf;
using test::hex;
using test::loadedDefaults;

namespace {

// One frame of an upload: lead-in, name, pause after the terminator, and the
// status it sets while it is written (none: nullptr).
struct Frame {
    int leadIn;
    const char *name;
    int pauseAfter;
    const char *status;
    double step;
};

template <size_t N>
void expectFrames(const std::vector<test::FrameView> &frames, const Frame (&rows)[N])
{
    ASSERT_EQ(frames.size(), N);
    for (size_t i = 0; i < N; ++i) {
        const auto &f = frames[i];
        const Frame &row = rows[i];
        EXPECT_EQ(f.leadIn, row.leadIn) << row.name;
        EXPECT_EQ(f.name, QByteArray(row.name));
        EXPECT_EQ(f.pauseBeforeTerminatorMs, 10) << row.name;
        EXPECT_EQ(f.pauseAfterMs, row.pauseAfter) << row.name;
        if (row.status) {
            ASSERT_EQ(f.inside.size(), 1u) << row.name;
            EXPECT_EQ(f.inside[0], (step::Status{QLatin1String(row.status), row.step})) << row.name;
        } else {
            EXPECT_TRUE(f.inside.empty()) << row.name;
        }
    }
}

} // namespace

// Label counts, defaults, ends of each list and the family commands, from the
// transmitter's parameter table.
TEST(TransmitterTables, EveryListMatchesTheParameterTable)
{
    struct Row {
        const char *key;
        int count, defaultPos;
        const char *first, *last, *classic, *small;
    };
    const Row rows[] = {{"Pilot", 10, 4, "Pilot Off", "8,00KHz", "FDP", "FDP"},
        {"RDSPilot", 11, 6, "Pilot Off", "7,00KHz", nullptr, "FDX"},
        {"MPXdev", 17, 10, "0,0KHz", "90,0KHz", nullptr, "FDY"},
        {"Preemphasis", 3, 1, "75uS/USA", "None/OFF", "FDR", "FDR"},
        {"ComLim", 4, 3, "Com=OFF, Lim=OFF", "Com=ON, Lim=ON [D]", "FDB", "FDK"},
        {"AudioInput", 2, 0, "Internal[D]", "External", "FDE", "FDE"},
        {"InputMute", 4, 0, "L=ON, R=ON [D]", "L=OFF, R=OFF", "FDGR", "FDM"},
        {"InputGain", 2, 0, "4dBV(3,47Vpp)[D]", "-10dBV(0,89Vpp", "FDGL", "FDG"},
        {"Attack", 8, 0, "1.7ms(Default)", "212ms", "FDA", "FDA"}, {"Decay", 11, 5, "1.7ms", "1700ms", "FDD", "FDD"},
        {"Integration", 7, 3, "1.7ms", "106ms", "FDI", "FDI"}, {"Compression", 13, 8, "1:1.00", "1:4.00", "FDC", "FDC"},
        {"Threshold", 21, 10, "0.0dB", "-30.00dB", "FDH", "FDH"}, {"TEMPAlarm", 8, 5, "40degC", "90degC", "FAT", "FAT"},
        {"SWRAlarm", 10, 6, ">1W/>10W", ">9.9W/>99W", "FAS", "FAS"}, {"UampAlarm", 24, 18, "24V", "55V", "FAU", "FAU"},
        {"IampAlarm", 29, 28, ">2.0A", ">30.0A-Default", "FAC", "FAC"}};
    const SettingsRecord defaults = loadedDefaults();
    ASSERT_EQ(transmitterLists().size(), std::size(rows));
    for (const Row &row : rows) {
        const auto it = std::find_if(transmitterLists().begin(), transmitterLists().end(),
            [&](const TransmitterList &l) { return QLatin1String(l.key) == QLatin1String(row.key); });
        ASSERT_NE(it, transmitterLists().end()) << row.key;
        const QStringList labels = it->labelList();
        EXPECT_EQ(labels.size(), row.count) << row.key;
        EXPECT_EQ(labels.first(), QLatin1String(row.first)) << row.key;
        EXPECT_EQ(labels.last(), QLatin1String(row.last)) << row.key;
        EXPECT_EQ(it->defaultPosition, row.defaultPos) << row.key;
        EXPECT_EQ(defaults.*(it->field), row.defaultPos) << row.key;
        EXPECT_EQ(it->classic.name ? QByteArray(it->classic.name) : QByteArray(), QByteArray(row.classic)) << row.key;
        EXPECT_EQ(QByteArray(it->small.name), QByteArray(row.small)) << row.key;
    }
    // The amplifier current list runs in whole amperes.
    const QStringList iamp = transmitterList(&SettingsRecord::IampAlarm)->labelList();
    EXPECT_EQ(iamp[10], QStringLiteral(">12.0A"));
}

TEST(Frequency, TextsAndWireForms)
{
    for (const auto &[kHz, text] : {std::pair{87500, "87.500MHz"}, {100050, "100.050MHz"}, {98500, "98.500MHz"}})
        EXPECT_EQ(frequencyText(kHz), QLatin1String(text));
    // The step buttons stop at either end of the band, never past it.
    const std::array<std::array<int32_t, 3>, 4> steps{
        {{87600, -1000, 87500}, {87550, -50, 87500}, {107950, 1000, 108000}, {100000, 50, 100050}}};
    for (const auto &[from, step, to] : steps)
        EXPECT_EQ(stepFrequency(from, step), to) << from << " " << step;
    const std::pair<int32_t, const char *> pairs[]
        = {{87500, "608c"}, {100000, "24a0"}, {108000, "64ac"}, {103000, "7ca4"}};
    for (const auto &[kHz, bytes] : pairs)
        EXPECT_EQ(frequencyPair(kHz).toHex(), QByteArray(bytes)) << kHz;
    const std::pair<int, const char *> powers[] = {{0, "04"}, {1, "04"}, {50, "1a"}, {100, "30"}, {32, "12"}};
    for (const auto &[p, bytes] : powers)
        EXPECT_EQ(powerByte(p).toHex(), QByteArray(bytes)) << p;

    // Reading the display text back.
    const std::pair<const char *, int32_t> rows[] = {{"98.500MHz", 98500}, {"100.000MHz", 100000}, {"98.5", 98005},
        {" 99.500MHz", 99500}, {"500MHz.000", 500000}, {"abc.def", 0}, {"107.900MHz", 107900}};
    for (const auto &[text, kHz] : rows)
        EXPECT_EQ(frequencyFromText(QLatin1String(text)), std::optional<int32_t>(kHz)) << text;
    // No point: the caller learns that the text is no frequency.
    EXPECT_FALSE(frequencyFromText(QStringLiteral("100MHz")).has_value());
    EXPECT_FALSE(frequencyFromText(QString()).has_value());
}

// 50 ms after each terminator; after "FW" the end steps' 10 ms too.
TEST(TransmitterUpload, ClassicSequenceMatchesItsTable)
{
    const Frame rows[] = {{1, "FDP", 50, "Setting 19kHz... 3%", 1}, {1, "FDR", 50, "Setting preemphasis... 5%", 2},
        {2, "FS", 50, "Setting stereo mode... 10%", 3}, {2, "FO", 50, "Setting output power... 20%", 4},
        {2, "FF", 50, "Setting transmitter frequency... 30%", 5},
        {2, "FDE", 50, "Setting DSP settings (AudioInput)... 40%", 6},
        {2, "FDB", 50, "Setting DSP settings (ComLim)... 50%", 7},
        {2, "FDA", 50, "Setting DSP settings (Attack)... 55%", 8},
        {2, "FDD", 50, "Setting DSP settings (Decay)... 60%", 9},
        {2, "FDH", 50, "Setting DSP settings (Threshold)... 65%", 10},
        {2, "FDC", 50, "Setting DSP settings (Compression)... 70%", 11},
        {2, "FDI", 50, "Setting DSP settings (Integration)... 75%", 12},
        {2, "FDGL", 50, "Setting DSP settings (InputGain)... 80%", 13},
        {2, "FDGR", 50, "Setting DSP settings (InputMute)... 85%", 14}, {2, "FAT", 50, "Setting TEMP alarm... 90%", 15},
        {2, "FAS", 50, "Setting SWR alarm... 92%", 16}, {2, "FAU", 50, "Setting Uamp alarm... 94%", 17},
        {2, "FAC", 50, "Setting Iamp alarm... 96%", 18}, {1, "FW", 60, "Sending store settings command... 100%", 19}};
    SettingsRecord r = loadedDefaults();
    r.ComLim = 3;
    const WireScript s = classicTransmitterUploadScript(r);
    EXPECT_TRUE(s.bytes().startsWith(QByteArray::fromHex("00464450013402"))) << hex(s.bytes().left(7)).constData();
    const auto frames = framesOf(s);
    expectFrames(frames, rows);
    EXPECT_EQ(frames[0].value, QByteArray("4")); // pilot as decimal text
    EXPECT_EQ(frames[6].value, QByteArray(1, '\x07')); // ComLim 3 as a byte
    EXPECT_EQ(frames.back().value, QByteArray("0"));
    // The port opens without line settings and closes at the end, then "Ready".
    EXPECT_EQ(s.steps()[1], Step(step::Open{}));
    EXPECT_EQ(s.steps()[s.steps().size() - 2], Step(step::Close{}));
    EXPECT_EQ(s.statuses().back(), (step::Status{QStringLiteral("Ready"), 0}));
}

TEST(TransmitterUpload, SmallSequenceMatchesItsTable)
{
    // "GCT", "GRT" and "GEON" set their status after their frame; it shows up
    // before the next frame here.
    const Frame rows[] = {{2, "FDY", 60, "Setting MPX dev... 0%", 1},
        {2, "FDX", 60, "Setting RDS pilot level... 0%", 1}, {2, "FDK", 60, "Setting DSP settings (ComLim)... 1%", 1},
        {2, "FDE", 60, "Setting DSP settings (AudioInput)... 1%", 1}, {1, "FDP", 50, "Setting 19kHz... 2%", 1},
        {1, "FDR", 50, "Setting preemphasis... 5%", 2}, {2, "FS", 50, "Setting stereo mode... 8%", 3},
        {2, "FO", 50, "Setting output power... 10%", 4}, {2, "FF", 50, "Setting transmitter frequency... 15%", 5},
        {1, "PTY", 50, nullptr, 0}, {1, "PS", 50, "Sending PS to RDS encoder... 25%", 6},
        {1, "RT", 50, "Sending RT to RDS encoder... 30%", 6}, {1, "TP", 150, "Sending TP to RDS encoder... 35%", 7},
        {1, "TA", 60, "Sending TA to RDS encoder... 40%", 7}, {1, "MS", 70, "Sending MS to RDS encoder... 45%", 8},
        {1, "ECC", 60, "Sending ECC to RDS encoder... 50%", 8}, {1, "AF1", 60, "Sending AF1 to RDS encoder... 55%", 9},
        {1, "D0D3", 60, "Sending D0-D3 to RDS encoder... 60%", 9},
        {1, "CCAC", 60, "Sending CCAC to RDS encoder... 65%", 10}, {1, "PREF", 60, nullptr, 0},
        {1, "PWR", 60, "Sending PWR to RDS encoder... 75%", 12}, {1, "GCT", 110, nullptr, 0},
        {1, "GRT", 120, nullptr, 0}, {1, "GEON", 110, nullptr, 0},
        {2, "FDA", 50, "Setting DSP settings (Attack)... 90%", 15},
        {2, "FDD", 50, "Setting DSP settings (Decay)... 92%", 16},
        {2, "FDH", 50, "Setting DSP settings (Threshold)... 92%", 16},
        {2, "FDC", 50, "Setting DSP settings (Compression)... 94%", 17},
        {2, "FDI", 50, "Setting DSP settings (Integration)... 94%", 17},
        {2, "FDG", 50, "Setting DSP settings (InputGain)... 96%", 18},
        {2, "FDM", 50, "Setting DSP settings (InputMute)... 96%", 18}, {2, "FAT", 50, "Setting TEMP alarm... 98%", 19},
        {2, "FAS", 50, "Setting SWR alarm... 98%", 19}, {2, "FAU", 50, "Setting Uamp alarm... 99%", 20},
        {2, "FAC", 50, "Setting Iamp alarm... 99%", 20}, {1, "FW", 60, "Sending store settings command... 100%", 21}};
    const WireScript s = smallFamilyUploadScript(loadedDefaults());
    EXPECT_TRUE(s.bytes().startsWith(QByteArray::fromHex("0000464459010e02"))) << hex(s.bytes().left(8)).constData();
    const auto frames = framesOf(s);
    expectFrames(frames, rows);
    // Statuses set outside frames, in their places.
    auto before = [&](const char *name) {
        for (const auto &f : frames)
            if (f.name == name)
                return f.before;
        return std::vector<step::Status>{};
    };
    using V = std::vector<step::Status>;
    EXPECT_EQ(before("PTY"), (V{{QStringLiteral("Sending PTY to RDS encoder... 20%"), 5}}));
    EXPECT_EQ(before("CCAC"), (V{{QStringLiteral("Sending D0-D3 to RDS encoder... 60%"), 10}}));
    EXPECT_EQ(before("PREF"), (V{{QStringLiteral("Sending PI to RDS encoder... 70%"), 11}}));
    EXPECT_EQ(before("PWR"), (V{{QStringLiteral("Sending PI to RDS encoder... 70%"), 12}}));
    EXPECT_EQ(before("GRT"), (V{{QStringLiteral("Sending GCT to RDS encoder... 80%"), 13}}));
    EXPECT_EQ(before("GEON"), (V{{QStringLiteral("Sending GRT to RDS encoder... 85%"), 13}}));
    EXPECT_EQ(before("FDA"), (V{{QStringLiteral("Sending GEON to RDS encoder... 88%"), 14}}));
}

TEST(TransmitterUpload, SmallFamilyValues)
{
    // Values only: each frame's lead-in is in the sequence table.
    auto value = [](const SettingsRecord &rec, const char *name) {
        for (const auto &f : framesOf(smallFamilyUploadScript(rec)))
            if (f.name == name)
                return f.value;
        return QByteArray("<no frame>");
    };
    using Values = std::initializer_list<std::pair<const char *, const char *>>;
    SettingsRecord r = loadedDefaults();
    for (const auto &[name, sent] :
        Values{{"FF", "\x24\xa0"}, {"FO", "\x30"}, {"CCAC", "049"}, {"D0D3", "\x13"}, {"PS", "QRV5260+"}})
        EXPECT_EQ(hex(value(r, name)), hex(sent)) << name;
    r.DId = {0, 0, 0, 0};
    r.PTY = 5;
    r.ProgramReference = 7;
    r.TXStereo = 1;
    r.RDSActive = false;
    r.TXPower = 0;
    for (const auto &[name, sent] :
        Values{{"D0D3", "\x04"}, {"PTY", "05"}, {"PREF", "007"}, {"FS", "1"}, {"PWR", "0"}, {"FO", "\x04"}})
        EXPECT_EQ(hex(value(r, name)), hex(sent)) << name;

    // The RadioText: leading blanks gone, three carriage returns, cut to 64.
    const QString cr3(3, QChar(0x0D));
    const std::pair<QString, QString> rts[] = {{QString(70, QLatin1Char('x')), QString(64, QLatin1Char('x'))},
        {QString(62, QLatin1Char('x')), QString(62, QLatin1Char('x')) + QString(2, QChar(0x0D))}, {QString(), cr3},
        {QStringLiteral("  abc"), QStringLiteral("abc") + cr3}};
    for (const auto &[rt, sent] : rts) {
        r.RT = rt;
        EXPECT_EQ(value(r, "RT"), sent.toLatin1()) << rt.toStdString();
    }
}

TEST(Requests, TestButtonsAndRequestsPutTheirBytesOnTheWire)
{
    // (The test buttons' bytes are checked from the window, as they reach the line.)
    EXPECT_EQ(hex(statusRequestScript().bytes()), hex(QByteArray::fromHex("00464d012002")));
    EXPECT_EQ(hex(readBackRequestScript(SettingsRecord()).bytes()), hex(QByteArray::fromHex("00580102")));
    // The test frames wait 20 ms after the lead-in and nothing after the terminator.
    const auto f = framesOf(frequencyTestScript());
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].pauseAfterMs, 0);
    EXPECT_EQ(frequencyTestScript().totalPauseMs(), 20 + 10 + 10 + 10);
    EXPECT_EQ(frequencyTestScript().statuses(),
        (std::vector<step::Status>{{QStringLiteral("Setting transmitter frequency... 30%"), 6}}));
    EXPECT_EQ(
        powerTestScript().statuses(), (std::vector<step::Status>{{QStringLiteral("Setting output power... 20%"), 3}}));
    // The status request ends with "Ready" right after its terminator.
    const auto st = statusRequestScript();
    EXPECT_TRUE(std::holds_alternative<step::Ready>(st.steps().back()));
    EXPECT_EQ(framesOf(st)[0].pauseAfterMs, 0);
}
