#include "transmitter/frequency.h"

#include <cmath>

namespace zfm {

int32_t stepFrequency(int32_t kHz, int32_t step)
{
    const int64_t next = static_cast<int64_t>(kHz) + step;
    if (next < kMinFrequencyKHz)
        return kMinFrequencyKHz;
    if (next > kMaxFrequencyKHz)
        return kMaxFrequencyKHz;
    return static_cast<int32_t>(next);
}

QString frequencyText(int32_t kHz)
{
    return QStringLiteral("%1.%2MHz").arg(kHz / 1000).arg(kHz % 1000, 3, 10, QLatin1Char('0'));
}

bool isValidFrequency(int32_t kHz)
{
    return kHz >= kMinFrequencyKHz && kHz <= kMaxFrequencyKHz && kHz % kFrequencyRasterKHz == 0;
}

QByteArray frequencyPair(int32_t kHz)
{
    const int32_t n = kHz / 5;
    QByteArray bytes(2, '\0');
    bytes[0] = static_cast<char>(n % 128 + 4);
    bytes[1] = static_cast<char>(n / 128 + 4);
    return bytes;
}

QByteArray powerByte(int percent) { return QByteArray(1, static_cast<char>(percent * 44 / 100 + 4)); }

double leadingNumber(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        ++i;
    bool point = false;
    while (i < text.size() && (text.at(i).isDigit() || (!point && text.at(i) == QLatin1Char('.')))) {
        point = point || text.at(i) == QLatin1Char('.');
        ++i;
    }
    bool ok = false;
    const double v = text.mid(start, i - start).toDouble(&ok);
    return ok ? v : 0.0;
}

std::optional<int32_t> frequencyFromText(const QString &text)
{
    const qsizetype k = text.indexOf(QLatin1Char('.'));
    if (k < 0)
        return std::nullopt;
    const double whole = leadingNumber(text.left(k));
    const double fraction = leadingNumber(text.mid(k + 1));
    const double kHz = std::nearbyint(whole * 1000 + fraction); // ties to even
    if (!std::isfinite(kHz) || kHz < INT32_MIN || kHz > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(kHz);
}

} // namespace zfm
