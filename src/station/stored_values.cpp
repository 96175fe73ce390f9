#include "station/stored_values.h"

#include "autoupdate/ps_rebuild.h"
#include "rds/rds_model.h"
#include "transmitter/frequency.h"
#include "transmitter/transmitter_tables.h"

namespace zfm {

namespace {

template <typename T>
void keepWithin(T &field, T low, T high, T fallback, const QString &key, QStringList &repaired)
{
    if (field < low || field > high) {
        field = fallback;
        repaired << key;
    }
}

} // namespace

QStringList repairStoredValues(SettingsRecord &r)
{
    const SettingsRecord d; // the defaults
    QStringList repaired;
    for (const TransmitterList &list : transmitterLists()) {
        if (!list.contains(r.*(list.field))) {
            r.*(list.field) = list.defaultPosition;
            repaired << QLatin1String(list.key);
        }
    }
    if (!isValidFrequency(r.TXFrequency)) {
        r.TXFrequency = d.TXFrequency;
        repaired << QStringLiteral("TXFrequency");
    }
    keepWithin<int16_t>(r.TXPower, 0, kMaxPowerPercent, d.TXPower, QStringLiteral("TXPower"), repaired);
    keepWithin<int16_t>(r.CountryCode, 1, kCountryCodeMax, d.CountryCode, QStringLiteral("CountryCode"), repaired);
    keepWithin<int16_t>(r.AreaCoverage, 0, kAreaCodeMax, d.AreaCoverage, QStringLiteral("AreaCoverage"), repaired);
    keepWithin<int16_t>(
        r.ProgramReference, 0, kProgramReferenceMax, d.ProgramReference, QStringLiteral("ProgramReference"), repaired);
    keepWithin<int16_t>(r.ECC, 1, kEccMax, d.ECC, QStringLiteral("ECC"), repaired);
    keepWithin<int16_t>(r.PTY, 0, kPtyMax, d.PTY, QStringLiteral("PTY"), repaired);
    keepWithin<int16_t>(r.COMSelected, 1, kComPorts, d.COMSelected, QStringLiteral("COMSelected"), repaired);
    keepWithin<int16_t>(r.AutoPS, 0, kLastAutoUpdateType, d.AutoPS, QStringLiteral("AutoPS"), repaired);
    keepWithin<int16_t>(r.AutoPSDelay, 0, kMaxPsDelay, d.AutoPSDelay, QStringLiteral("AutoPSDelay"), repaired);
    keepWithin<int16_t>(r.SETTOSAMEDELAY, 0, kMaxPsDelay, d.SETTOSAMEDELAY, QStringLiteral("SETTOSAMEDELAY"), repaired);
    for (int i = 0; i < kPsEntries; ++i) {
        const QString key = i == 0 ? QStringLiteral("PSDelay") : QStringLiteral("PSDelay%1").arg(i);
        keepWithin<int16_t>(r.PSDelay[i], 0, kMaxPsDelay, d.PSDelay[i], key, repaired);
    }
    for (int k = 1; k <= kAfLists; ++k)
        keepWithin<int16_t>(r.AF[k], 0, kAfCodeMax, d.AF[k], QStringLiteral("AF%1").arg(k), repaired);
    // The AF lists are restored first to last, so an empty one empties those after it.
    for (int k = 1; k <= kAfLists; ++k)
        setAlternativeFrequency(r, k, r.AF[k]);

    // Option pairs and tick boxes store 1 for any non-zero value.
    for (int16_t *flag :
        {&r.TP, &r.TA, &r.MS, &r.DId[0], &r.DId[1], &r.DId[2], &r.DId[3], &r.GCT, &r.GRT, &r.GEON, &r.TXStereo})
        *flag = *flag != 0 ? 1 : 0;
    return repaired;
}

} // namespace zfm
