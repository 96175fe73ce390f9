#include "log/telemetry_sample.h"

#include "transmitter/frequency.h"

#include <QRegularExpression>

namespace zfm {

std::optional<double> reportedNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([-+]?\\d+(?:[.,]\\d+)?)"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    QString digits = m.captured(1);
    digits.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = digits.toDouble(&ok);
    return ok ? std::optional(v) : std::nullopt;
}

TelemetrySample telemetryFromReply(const StatusReply &reply, const QDateTime &time)
{
    TelemetrySample s;
    s.time = time;
    // The mask only where the lamps could read it ("00".."63").
    if (reply.alarmLamps)
        s.alarmMask = reply.alarmCode.toInt();
    s.forwardW = reportedNumber(reply.outputPower);
    s.reflectedW = reportedNumber(reply.reflectedPower);
    s.exciterTempC = reportedNumber(reply.exciterTemperature);
    s.amplifierTempC = reportedNumber(reply.amplifierTemperature);
    s.exciterCurrentA = reportedNumber(reply.exciterCurrent);
    s.amplifierCurrentA = reportedNumber(reply.amplifierCurrent);
    s.exciterVoltageV = reportedNumber(reply.exciterVoltage);
    s.amplifierVoltageV = reportedNumber(reply.amplifierVoltage);
    s.audioLevel = reply.audioLevel;
    if (reply.unitFrequency.contains(QLatin1Char('.')) && reportedNumber(reply.unitFrequency))
        s.frequencyKHz = frequencyFromText(reply.unitFrequency);
    return s;
}

} // namespace zfm
