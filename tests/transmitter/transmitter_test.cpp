#include "support/script_frames.h"
#include "transmitter/frequency.h"
#include "transmitter/requests.h"
#include "transmitter/transmitter_upload.h"

#include <gtest/gtest.h>

#include <array>

using namespace zfm;
using test::framesOf;
using test::hex;
using test::loadedDefaults;

namespace {

// The frames of an upload as "<lead-in bytes><name>/<pause after its
// terminator>", e.g. "2FS/50"; every frame waits 10 ms before its terminator.
QString sequence(const std::vector<test::FrameView> &frames)
{
    QStringList out;
    for (const auto &f : frames) {
        EXPECT_EQ(f.pauseBeforeTerminatorMs, 10) << f.name.constData();
        out << QStringLiteral("%1%2/%3").arg(f.leadIn).arg(QLatin1String(f.name)).arg(f.pauseAfterMs);
    }
    return out.join(u' ');
}

} // namespace

TEST(Frequency, TextsAndWireForms)
{
    for (const auto &[kHz, text] : {std::pair{87500, "87.500MHz"}, {100050, "100.050MHz"}, {98500, "98.500MHz"}})
        EXPECT_EQ(frequencyText(kHz), QLatin1String(text));
    // The step buttons stop at either end of the band, never past it.
    const std::array<std::array<int32_t, 3>, 4> steps{
        {{87600, -1000, 87500}, {87550, -50, 87500}, {107950, 1000, 108000}, {100000, 50, 100050}}};
    for (const auto &[from, step, to] : steps)
        EXPECT_EQ(stepFrequency(from, step), to) << from << " " << step;
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
TEST(TransmitterUpload, ClassicSequence)
{
    SettingsRecord r = loadedDefaults();
    r.ComLim = 3;
    const WireScript s = classicTransmitterUploadScript(r);
    EXPECT_TRUE(s.bytes().startsWith(QByteArray::fromHex("00464450013402"))) << hex(s.bytes().left(7)).constData();
    const auto frames = framesOf(s);
    EXPECT_EQ(sequence(frames),
        "1FDP/50 1FDR/50 2FS/50 2FO/50 2FF/50 2FDE/50 2FDB/50 2FDA/50 2FDD/50 2FDH/50 2FDC/50 2FDI/50 2FDGL/50 "
        "2FDGR/50 2FAT/50 2FAS/50 2FAU/50 2FAC/50 1FW/60");
    ASSERT_EQ(frames.size(), 19u);
    EXPECT_EQ(frames[0].value, QByteArray("4")); // pilot as decimal text
    EXPECT_EQ(frames[6].value, QByteArray(1, '\x07')); // ComLim 3 as a byte
    EXPECT_EQ(frames.back().value, QByteArray("0"));
    // The port opens without line settings and closes at the end, then "Ready".
    EXPECT_EQ(s.steps()[1], Step(step::Open{}));
    EXPECT_EQ(s.steps()[s.steps().size() - 2], Step(step::Close{}));
    EXPECT_EQ(s.statuses().back(), (step::Status{QStringLiteral("Ready"), 0}));
}

// The group switches ("GCT", "GRT", "GEON") carry their own pauses.
TEST(TransmitterUpload, SmallSequence)
{
    const WireScript s = smallFamilyUploadScript(loadedDefaults());
    EXPECT_TRUE(s.bytes().startsWith(QByteArray::fromHex("0000464459010e02"))) << hex(s.bytes().left(8)).constData();
    EXPECT_EQ(sequence(framesOf(s)),
        "2FDY/60 2FDX/60 2FDK/60 2FDE/60 1FDP/50 1FDR/50 2FS/50 2FO/50 2FF/50 1PTY/50 1PS/50 1RT/50 1TP/150 1TA/60 "
        "1MS/70 1ECC/60 1AF1/60 1D0D3/60 1CCAC/60 1PREF/60 1PWR/60 1GCT/110 1GRT/120 1GEON/110 2FDA/50 2FDD/50 "
        "2FDH/50 2FDC/50 2FDI/50 2FDG/50 2FDM/50 2FAT/50 2FAS/50 2FAU/50 2FAC/50 1FW/60");
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
    // The status request ends with "Ready" right after its terminator.
    const auto st = statusRequestScript();
    EXPECT_TRUE(std::holds_alternative<step::Ready>(st.steps().back()));
    EXPECT_EQ(framesOf(st)[0].pauseAfterMs, 0);
}
