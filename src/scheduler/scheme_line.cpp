#include "scheduler/scheme_line.h"

#include "transmitter/frequency.h"

#include <algorithm>
#include <cmath>

namespace zfm {

QString schemeLine(const SchemeParts &p)
{
    QString line
        = QStringLiteral("%1:%2  ").arg(p.hour, 2, 10, QLatin1Char('0')).arg(p.minute, 2, 10, QLatin1Char('0'));
    line += frequencyText(p.frequencyKHz).rightJustified(10);
    // Two digits below 100 ("05"), so every power takes the same four columns.
    line += (p.power >= 100 ? QString::number(p.power) : QStringLiteral("%1").arg(p.power, 2, 10, QLatin1Char('0')))
                .rightJustified(4);
    line += QStringLiteral("% ");
    if (p.daily) {
        line += QLatin1Char(' ') + QLatin1String(kDailyCode);
    } else {
        for (int d = 0; d < kWeekdays; ++d) {
            if (p.days[d])
                line += QLatin1Char(' ') + QLatin1String(kDayCodes[d]);
        }
    }
    return line;
}

QString columns(const QString &line, int from, int count) { return line.mid(from - 1, count); }

int columnValue(const QString &line, int from, int count)
{
    const double v = leadingNumber(columns(line, from, count));
    // Columns are two or three characters wide; the clamp only guards odd input.
    return static_cast<int>(std::nearbyint(std::clamp(v, -32768.0, 32767.0)));
}

SchemeParts readSchemeLine(const QString &line, const SchemeParts &fallback)
{
    SchemeParts p = fallback;
    p.hour = std::clamp(columnValue(line, 1, 2), 0, 23);
    p.minute = std::clamp(columnValue(line, 4, 2), 0, 59);
    if (const auto kHz = frequencyFromText(columns(line, 8, 10)))
        p.frequencyKHz = std::clamp(*kHz, kMinFrequencyKHz, kMaxFrequencyKHz);
    p.power = std::clamp(columnValue(line, 19, 3), 0, 100);
    p.daily = line.contains(QLatin1String(kDailyCode));
    p.days = {};
    if (!p.daily) {
        for (int d = 0; d < kWeekdays; ++d)
            p.days[d] = line.contains(QLatin1String(kDayCodes[d]));
    }
    return p;
}

} // namespace zfm
