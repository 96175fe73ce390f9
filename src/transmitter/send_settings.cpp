#include "transmitter/send_settings.h"

#include "rds/rds_model.h"
#include "transmitter/transmitter_upload.h"

namespace zfm {

bool isSmallFamily(const SettingsRecord &r) { return r.MODE == kModeSmall; }

WireScript sendSettingsScript(SettingsRecord &r, Attended attended)
{
    if (isSmallFamily(r))
        return smallFamilyUploadScript(r);
    r.AFNum = countAlternativeFrequencies(r);
    WireScript s = classicTransmitterUploadScript(r);
    return s.append(rdsSettingsSequence(r, attended));
}

} // namespace zfm
