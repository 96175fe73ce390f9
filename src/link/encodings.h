#pragma once

#include <QByteArray>
#include <QString>

namespace zfm {

// Value encodings shared by every command the program sends.

// Decimal digits, no sign, no leading zeros: 0 -> "0", 128 -> "128".
QByteArray decimalText(int value);
// The decimal text left-padded with "0": 7 -> "07" / "007".
QByteArray paddedDecimal2(int value);
QByteArray paddedDecimal3(int value);
// One byte of value + 4, so it never collides with the frame's control bytes.
// Only 0..251 fit; anything else gives an empty value.
QByteArray offsetByte(int value);
inline constexpr int kOffsetByteMax = 251;
// "1" for on, "0" for off.
QByteArray flagText(bool on);
// The characters of a text, one Windows-1252 byte each; a character it cannot
// represent, and one of the three framing bytes, is sent as "?".
QByteArray textValue(const QString &text);

// One command frame: lead-in 0x00 bytes, the name, 0x01, the value, 0x02.
QByteArray commandFrame(int leadIn, const QByteArray &name, const QByteArray &value);

inline constexpr char kLeadIn = 0x00;
inline constexpr char kSeparator = 0x01;
inline constexpr char kTerminator = 0x02;
inline constexpr char kCarriageReturn = 0x0D;

} // namespace zfm
