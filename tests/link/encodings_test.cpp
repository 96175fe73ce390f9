#include "link/encodings.h"
#include "link/port_map.h"
#include "link/windows1252.h"
#include "settings/line_speed.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

using namespace zfm;

// Offset bytes never collide with the framing bytes; values that cannot be
// sent give no byte rather than a wrapped-around one.
TEST(Encodings, NumbersFlagsAndOffsetBytes)
{
    const std::pair<QByteArray, const char *> rows[] = {{decimalText(128), "128"}, {paddedDecimal2(7), "07"},
        {paddedDecimal3(5), "005"}, {paddedDecimal3(128), "128"}, {flagText(true), "1"}, {offsetByte(0), "\x04"},
        {offsetByte(125), "\x81"}, {offsetByte(251), "\xFF"}, {offsetByte(252), ""}, {offsetByte(-1), ""}};
    for (const auto &[got, want] : rows)
        EXPECT_EQ(got.toHex(), QByteArray(want).toHex());
    for (int v = 0; v <= kOffsetByteMax; ++v)
        EXPECT_GE(static_cast<unsigned char>(offsetByte(v)[0]), 4u) << v;
}

TEST(Encodings, TextIsWindows1252WithQuestionMarks)
{
    const std::pair<QString, const char *> rows[] = {{QStringLiteral("QRV5260+"), "515256353236302b"},
        {QStringLiteral("Motörhead"), "4d6f74f67268656164"}, {QStringLiteral("€5 – “hi”"), "803520962093686994"},
        {QStringLiteral("Ω"), "3f"}, {QStringLiteral("a😀b"), "613f62"},
        // The framing bytes never appear inside a value; other control characters do.
        {QString::fromUtf16(u"\0\x01\x02\x03\r", 5), "3f3f3f030d"}};
    for (const auto &[text, bytes] : rows)
        EXPECT_EQ(textValue(text).toHex(), QByteArray(bytes)) << text.toStdString();
    // Every byte decodes to a character that encodes back to the same byte,
    // except the five bytes Windows-1252 leaves unassigned.
    for (int b = 0; b < 256; ++b) {
        const QByteArray one(1, static_cast<char>(b));
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
            continue;
        EXPECT_EQ(toWindows1252(fromWindows1252(one)), one) << b;
    }
}

TEST(PortMap, NumbersMapToDevicesUnlessAssigned)
{
    SettingsRecord r;
    r.COMDevice[3] = QStringLiteral("/dev/pts/7");
    const std::pair<int, const char *> rows[]
        = {{1, "/dev/ttyS0"}, {2, "/dev/ttyS1"}, {3, "/dev/pts/7"}, {4, "/dev/ttyS3"}, {5, "/dev/ttyUSB0"},
            {10, "/dev/ttyUSB5"}, {11, "/dev/ttyACM0"}, {16, "/dev/ttyACM5"}, {0, ""}, {17, ""}};
    for (const auto &[n, path] : rows)
        EXPECT_EQ(devicePath(r, n), QLatin1String(path)) << n;
}

// The stored speed codes and the line texts; other codes leave the line as it was.
TEST(PortMap, LineSettingsTexts)
{
    const std::pair<QString, int> rows[] = {{"9600,N,8,1", 9600}, {"38400,n,8,1", 38400}, {"14400,N,8,1", 14400},
        {"2400,N,8,1", 2400}, {"9600,E,8,1", 0}, {"9600,N,7,1", 0}, {"fast,N,8,1", 0}, {"", 0}, {"9600", 0},
        {lineSettingsForSpeed(2), 9600}, {lineSettingsForSpeed(5), 38400}, {lineSettingsForSpeed(0), 0},
        {lineSettingsForSpeed(6), 0}};
    for (const auto &[text, baud] : rows)
        EXPECT_EQ(baudOfLineSettings(text), baud) << text.toStdString();
}
