#pragma once

#include "link/read_back_reply.h"
#include "settings/settings_record.h"

#include <QFlags>
#include <QString>

#include <vector>

namespace zfm {

// Groups of the settings record a read-back can change, so a front end knows
// what to show again.
enum class ReadBackGroup : unsigned {
    DynamicPs = 1u << 0, // PS texts and their delays
    AlternativeFrequencies = 1u << 1, // AF1..AF7 and AFNum
    ProgramType = 1u << 2,
    RadioText = 1u << 3,
    Messages = 1u << 4,
    RdsActive = 1u << 5,
    Ecc = 1u << 6,
    PiCode = 1u << 7, // CountryCode, AreaCoverage, ProgramReference
    Flags = 1u << 8, // TA, TP, MS, DId0..DId3
};
Q_DECLARE_FLAGS(ReadBackGroups, ReadBackGroup)
Q_DECLARE_OPERATORS_FOR_FLAGS(ReadBackGroups)

// A received value that its list cannot show; the field was left as it was.
struct RejectedValue {
    QString field; // the settings key ("PTY", "ECC", "CountryCode", "AF3", ...)
    int value; // what the field would have become
    bool operator==(const RejectedValue &) const = default;
};

struct ReadBackOutcome {
    ReadBackGroups changed;
    std::vector<RejectedValue> rejected;
};

// Brings the record in line with a decoded read-back, through the same rules
// the controls apply: the AF lists keep an unbroken run from AF1, flags are
// 0 or 1, texts are cut to their box's length. Items missing from the reply
// leave their fields alone; so does a value outside its list.
ReadBackOutcome applyReadBack(const ReadBack &readBack, SettingsRecord &record);

} // namespace zfm
