#include "link/encodings.h"

#include "link/windows1252.h"

namespace zfm {

QByteArray DecimalText(int value) { return QByteArray::number(value < 0 ? 0 : value); }

QByteArray PaddedDecimal2(int value) { return DecimalText(value).rightJustified(2, '0'); }

QByteArray PaddedDecimal3(int value) { return DecimalText(value).rightJustified(3, '0'); }

QByteArray OffsetByte(int value)
{
    if (value < 0 || value > kOffsetByteMax)
        return {};
    return QByteArray(1, static_cast<char>(value + 4));
}

QByteArray FlagText(bool on) { return on ? QByteArrayLiteral("1") : QByteArrayLiteral("0"); }

QByteArray Text(const QString &text) { return toWindows1252(text); }

QByteArray commandFrame(int leadIn, const QByteArray &name, const QByteArray &value)
{
    return QByteArray(leadIn, kLeadIn) + name + kSeparator + value + kTerminator;
}

} // namespace zfm
