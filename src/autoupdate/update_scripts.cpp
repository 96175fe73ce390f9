#include "autoupdate/update_scripts.h"

#include "link/encodings.h"
#include "rds/rds_model.h"
#include "settings/line_speed.h"

namespace zfm {

namespace {
constexpr int kRtLeadInPauses = 4;
} // namespace

WireScript autoPsUploadScript(const SettingsRecord &record, const PsEntries &entries)
{
    WireScript s;
    s.pause(kWritePauseMs).openWithLine(lineSettingsForSpeed(record.COMSpeed));
    s.append(psFrames(record, entries));
    return s.pause(kWritePauseMs).close().ready();
}

WireScript rtLeadInScript()
{
    WireScript s;
    for (int i = 0; i < kRtLeadInPauses; ++i)
        s.pause(kFramePauseMs);
    return s;
}

WireScript autoRtUploadScript(const SettingsRecord &record, const QString &rt)
{
    WireScript s;
    s.close().openWithLine(lineSettingsForSpeed(record.COMSpeed), true).pause(kWritePauseMs);
    s.frameHead(1, "RT").status(QStringLiteral("Sending RT to RDS encoder... 50%"), 1);
    s.write(rtValue(rt)).pause(kWritePauseMs);
    s.write(QByteArray(1, kTerminator)).pause(kWritePauseMs);
    return s.ready();
}

} // namespace zfm
