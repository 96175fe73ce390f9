#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace zfm {

// One scheme of the scheduler as a fixed-column line of the list, e.g.
//   "07:30   99.500MHz  50%  DAILY"
//   "18:05  107.900MHz 100%  MO WE FR"
// Columns (from 1): time 1-5, two blanks, frequency right-aligned in 8-17,
// power right-aligned in 18-21, "% " 22-23, then " DAILY" or " MO" ... " SU".

inline constexpr int kWeekdays = 7;
// Day codes Monday first; the index is the weekday (0 = Monday ... 6 = Sunday).
inline constexpr std::array<const char *, kWeekdays> kDayCodes = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
inline constexpr const char *kDailyCode = "DAILY";

using Weekdays = std::array<bool, kWeekdays>;

// What a line says, in the editor's terms.
struct SchemeParts {
    int hour = 0;
    int minute = 0;
    int32_t frequencyKHz = 100000;
    int power = 50;
    bool daily = true;
    Weekdays days{}; // used when not daily
    bool operator==(const SchemeParts &) const = default;
};

// Builds the line. A weekly scheme lists its ticked days Monday to Sunday.
QString schemeLine(const SchemeParts &parts);

// Reads a line back for the editor: the time from columns 1-2 and 4-5, the
// frequency from 8-17, the power from 19-21, "DAILY" anywhere or else the day
// codes found. Lines the editor did not write are read as far as they go:
// values are clamped to what the editor can show, and a frequency without "."
// keeps `fallback`'s.
SchemeParts readSchemeLine(const QString &line, const SchemeParts &fallback = {});

// The numeric value of columns [from, from + count) (1-based): the leading
// number with blanks skipped, rounded; 0 when there is none. Columns beyond the
// line's end are empty.
int columnValue(const QString &line, int from, int count);

// Columns [from, from + count) (1-based) of a line, short when the line is.
QString columns(const QString &line, int from, int count);

} // namespace zfm
