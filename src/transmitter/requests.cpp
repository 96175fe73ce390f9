#include "transmitter/requests.h"

#include "link/encodings.h"
#include "link/status_request.h"
#include "settings/line_speed.h"
#include "transmitter/frequency.h"

namespace zfm {

namespace {

WireScript testFrame(const QByteArray &name, const QString &status, double progress, const QByteArray &value)
{
    WireScript s;
    s.open();
    s.write(QByteArray(1, kLeadIn)).pause(kWritePauseMs).pause(kWritePauseMs);
    s.write(name).pause(kWritePauseMs).write(QByteArray(1, kSeparator)).pause(kWritePauseMs);
    s.status(status, progress);
    return s.write(value).pause(kWritePauseMs).write(QByteArray(1, kTerminator));
}

} // namespace

WireScript statusRequestScript()
{
    WireScript s;
    s.pause(kWritePauseMs).close().pause(kWritePauseMs).open();
    statusRequestFrame(
        s, RequestPacing::Paced, step::Status{QStringLiteral("Requesting DATA from the transmitter... 60%"), 12});
    return s.ready();
}

WireScript frequencyTestScript()
{
    return testFrame("FF", QStringLiteral("Setting transmitter frequency... 30%"), 6, frequencyPair(kTestFrequencyKHz));
}

WireScript powerTestScript()
{
    return testFrame("FO", QStringLiteral("Setting output power... 20%"), 3, powerByte(kTestPowerPercent));
}

WireScript readBackRequestScript(const SettingsRecord &record)
{
    WireScript s;
    // At the family's own speed, also when the port is already open: a fixed
    // 38400 would never reach a 9600 transmitter and would leave the port too
    // fast for the next upload.
    s.openWithLine(lineSettingsForSpeed(record.COMSpeed), true).pause(kWritePauseMs);
    for (const QByteArray &part :
        {QByteArray(1, kLeadIn), QByteArray("X"), QByteArray(1, kSeparator), QByteArray(1, kTerminator)})
        s.write(part).pause(kWritePauseMs);
    return s.status(QStringLiteral("Receiving RDS parameters..."), 0);
}

} // namespace zfm
