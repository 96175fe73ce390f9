#pragma once

#include "settings/settings_record.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace zfm {

class Clock;

// One ticked line of the list, read by its columns.
struct SchemeTableEntry {
    int16_t hour = 0; // kNoTime for a line that begins with "-"
    int16_t minute = 0;
    QString frequencyText; // "99.500MHz"
    int16_t power = 0;
    QString days; // weekday digits, "1" = Monday ... "7" = Sunday; "1234567" for DAILY
    int listIndex = 0; // the line's position in the list
    bool operator==(const SchemeTableEntry &) const = default;
};

inline constexpr int16_t kNoTime = 99;

// One entry per ticked line, in list order. Empty when the list is empty or
// nothing is ticked, which leaves the scheduler inactive.
std::vector<SchemeTableEntry> parseSchemes(const std::vector<SchemeEntry> &list);

// A scheme to apply: the transmitter frequency (kHz) and output power (percent).
struct SchemeMatch {
    int32_t frequencyKHz = 0;
    int16_t power = 0;
    int listIndex = 0;
    bool operator==(const SchemeMatch &) const = default;
};

// What an entry would set, or nothing when it cannot be used: a frequency
// without "." or off the band's 50 kHz raster, a power outside 0..100, a time
// that is no time of day. Such lines are left alone by the evaluation.
std::optional<SchemeMatch> readScheme(const SchemeTableEntry &entry);

// Sets TXFrequency and TXPower from a match, nothing else; the caller then
// sends the settings.
void applyScheme(SettingsRecord &record, const SchemeMatch &match);

// Weekday (Sunday = 1 ... Saturday = 7), hour and minute of an evaluation.
struct EvaluatedMinute {
    int16_t weekday = 0;
    int16_t hour = 0;
    int16_t minute = 0;
    bool operator==(const EvaluatedMinute &) const = default;
};

// The scheduler's evaluation state, kept from one tick of its one-second
// timer to the next; a match is applied (applyScheme) and sent by the caller.
class ScheduleEvaluator {
public:
    explicit ScheduleEvaluator(const Clock &clock) : clock_(clock) { }

    // One tick: nothing while "Enable scheduler" (SchemeEnable) is off,
    // otherwise evaluateMinute().
    std::optional<SchemeMatch> onTick(SettingsRecord &record);

    // One evaluation: each minute once (again after a scheme was added or
    // modified), today's lines only, first match in list order wins; a 00:00
    // line of today also matches while scheduleChanged is set. Clears
    // scheduleChanged unless no line is ticked.
    std::optional<SchemeMatch> evaluateMinute(SettingsRecord &record);

    const EvaluatedMinute &lastEvaluatedMinute() const { return last_; }
    bool isActive() const { return !tables_.empty(); }
    const std::vector<SchemeTableEntry> &schemeTables() const { return tables_; }

private:
    const Clock &clock_;
    EvaluatedMinute last_;
    std::vector<SchemeTableEntry> tables_;
};

} // namespace zfm
