#include "rds/read_back.h"

#include "rds/rds_model.h"

namespace zfm {

namespace {

// The encoder reports list numbers and AF codes as the bytes it was sent:
// value + 4, and the AF count as 224 + count + 4.
constexpr int kByteOffset = 4;
// "CCAC" is 16 * country + area.
constexpr int kAreaCodes = kAreaCodeMax + 1;

class Applier {
public:
    Applier(SettingsRecord &record, ReadBackOutcome &outcome) : r_(record), outcome_(outcome) { }

    // Stores value into field when it lies in [low, high]; otherwise reports it.
    void inRange(const std::optional<int> &received, int shift, int low, int high, int16_t &field, const QString &name)
    {
        if (!received)
            return;
        const int value = *received - shift;
        if (value < low || value > high) {
            outcome_.rejected.push_back({name, value});
            return;
        }
        field = int16_t(value);
    }

    // An option pair: any digit but 0 selects the "1" button.
    static void flag(const std::optional<int> &received, int16_t &field)
    {
        if (received)
            field = *received != 0 ? 1 : 0;
    }

    static void text(const std::optional<QString> &received, int length, QString &field)
    {
        if (received)
            field = received->left(length);
    }

    void afLists(const ReadBack &rb)
    {
        inRange(rb.af[0], kAfCountBase + kByteOffset, 0, kAfLists, r_.AFNum, QStringLiteral("AFNum"));
        for (int k = 1; k <= kAfLists; ++k)
            inRange(rb.af[k], kByteOffset, 0, kAfCodeMax, r_.AF[k], QStringLiteral("AF%1").arg(k));
        // Each list then selects its position in turn; a list at "empty"
        // empties every later one, so the frequencies in use stay an unbroken
        // run from AF1.
        for (int k = 1; k <= kAfLists; ++k) {
            if (r_.AF[k] == 0) {
                for (int later = k + 1; later <= kAfLists; ++later)
                    r_.AF[later] = 0;
                break;
            }
        }
    }

    void countryAndArea(const std::optional<int> &ccac)
    {
        if (!ccac)
            return;
        inRange(*ccac / kAreaCodes, 0, 1, kCountryCodeMax, r_.CountryCode, QStringLiteral("CountryCode"));
        r_.AreaCoverage = int16_t(*ccac % kAreaCodes);
    }

private:
    SettingsRecord &r_;
    ReadBackOutcome &outcome_;
};

ReadBackGroups changedGroups(const SettingsRecord &a, const SettingsRecord &b)
{
    ReadBackGroups changed;
    const auto mark = [&](bool differs, ReadBackGroup group) {
        if (differs)
            changed |= group;
    };
    mark(a.PS != b.PS || a.PSDelay != b.PSDelay, ReadBackGroup::DynamicPs);
    mark(a.AF != b.AF || a.AFNum != b.AFNum, ReadBackGroup::AlternativeFrequencies);
    mark(a.PTY != b.PTY, ReadBackGroup::ProgramType);
    mark(a.RT != b.RT, ReadBackGroup::RadioText);
    mark(a.MG != b.MG, ReadBackGroup::Messages);
    mark(a.RDSActive != b.RDSActive, ReadBackGroup::RdsActive);
    mark(a.ECC != b.ECC, ReadBackGroup::Ecc);
    mark(a.CountryCode != b.CountryCode || a.AreaCoverage != b.AreaCoverage || a.ProgramReference != b.ProgramReference,
        ReadBackGroup::PiCode);
    mark(a.TA != b.TA || a.TP != b.TP || a.MS != b.MS || a.DId != b.DId, ReadBackGroup::Flags);
    return changed;
}

} // namespace

ReadBackOutcome applyReadBack(const ReadBack &rb, SettingsRecord &record)
{
    const SettingsRecord before = record;
    ReadBackOutcome outcome;
    Applier apply(record, outcome);

    for (int i = 0; i < kPsEntries; ++i) {
        if (rb.psDelay[i])
            record.PSDelay[i] = int16_t(*rb.psDelay[i]);
    }
    // A bad delay stopped the decoding: the delays before it are all there is.
    if (!rb.abortedAt) {
        for (int i = 0; i < kPsEntries; ++i)
            Applier::text(rb.ps[i], kPsTextLength, record.PS[i]);
        apply.afLists(rb);
        apply.inRange(rb.pty, 0, 0, kPtyMax, record.PTY, QStringLiteral("PTY"));
        Applier::text(rb.rt, kLongTextLength, record.RT);
        for (int n = 0; n < kMessages; ++n)
            Applier::text(rb.mg[n], kLongTextLength, record.MG[n]);
        if (rb.rdsActive)
            record.RDSActive = *rb.rdsActive;
        apply.inRange(rb.ecc, kByteOffset, 1, kEccMax, record.ECC, QStringLiteral("ECC"));
        apply.countryAndArea(rb.ccac);
        apply.inRange(rb.pref, 0, 0, kProgramReferenceMax, record.ProgramReference, QStringLiteral("ProgramReference"));
        Applier::flag(rb.ta, record.TA);
        Applier::flag(rb.tp, record.TP);
        for (int k = 0; k < 4; ++k)
            Applier::flag(rb.did[k], record.DId[k]);
        Applier::flag(rb.ms, record.MS);
    }
    outcome.changed = changedGroups(before, record);
    return outcome;
}

} // namespace zfm
