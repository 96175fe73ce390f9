#include "link/encodings.h"

#include "link/windows1252.h"

namespace zfm {

QByteArray decimalText(int value) { return QByteArray::number(value < 0 ? 0 : value); }

QByteArray paddedDecimal2(int value) { return decimalText(value).rightJustified(2, '0'); }

QByteArray paddedDecimal3(int value) { return decimalText(value).rightJustified(3, '0'); }

QByteArray offsetByte(int value)
{
    if (value < 0 || value > kOffsetByteMax)
        return {};
    return QByteArray(1, static_cast<char>(value + 4));
}

QByteArray flagText(bool on) { return on ? QByteArrayLiteral("1") : QByteArrayLiteral("0"); }

QByteArray textValue(const QString &text)
{
    QByteArray bytes = toWindows1252(text);
    // A text read back from the device or from a hand-edited store may hold
    // them; inside a value they would end the frame early and hand the rest to
    // the device as a command of its own.
    for (char &b : bytes) {
        if (b == kLeadIn || b == kSeparator || b == kTerminator)
            b = '?';
    }
    return bytes;
}

QByteArray commandFrame(int leadIn, const QByteArray &name, const QByteArray &value)
{
    return QByteArray(leadIn, kLeadIn) + name + kSeparator + value + kTerminator;
}

} // namespace zfm
