#include "rds/rt_ps_upload.h"

#include "rds/ps_upload.h"
#include "rds/rds_model.h"
#include "rds/store_commands.h"
#include "settings/line_speed.h"

namespace zfm {

WireScript sendRtAndPsScript(const SettingsRecord &r)
{
    // Percentages of the eight message steps.
    constexpr int kMessagePercent[kMessages] = {10, 20, 30, 40, 50, 65, 80, 90};

    WireScript s;
    s.pause(kWritePauseMs).openWithLine(lineSettingsForSpeed(r.COMSpeed));
    s.frame(1, "RT", rtValue(r.RT), step::Status{QStringLiteral("Sending RT to RDS encoder... 0%"), 1});
    for (int k = 0; k < kMessages; ++k) {
        const QString text = QStringLiteral("Sending Message %1 to RDS encoder... %2%").arg(k).arg(kMessagePercent[k]);
        s.frame(1, "MG" + QByteArray::number(k), messageValue(r.MG[k]), step::Status{text, 1});
    }
    s.append(dynamicPsFrames(r));
    appendSaveCommand(s);
    return s.pause(kWritePauseMs).ready();
}

} // namespace zfm
