// The scheme line: building it from the editor's values and reading it back.
#include "scheduler/scheme_line.h"

#include <gtest/gtest.h>

using namespace zfm;

namespace {

Weekdays days(std::initializer_list<int> ticked)
{
    Weekdays d{};
    for (int i : ticked)
        d[i] = true;
    return d;
}

enum Day { Mo, Tu, We, Th, Fr, Sa, Su };

} // namespace

// Lines as the scheduler's documentation shows them, column for column.
TEST(SchemeLine, BuildsTheFixedColumnsAndReadsThemBack)
{
    struct Row {
        SchemeParts parts;
        const char *line;
    };
    const Row rows[] = {
        {{5, 0, 87500, 0, true, {}}, "05:00   87.500MHz  00%  DAILY"},
        {{23, 59, 108000, 100, false, days({Sa, Su})}, "23:59  108.000MHz 100%  SA SU"},
        {{7, 30, 99500, 50, true, {}}, "07:30   99.500MHz  50%  DAILY"},
        {{18, 5, 107900, 100, false, days({Mo, We, Fr})}, "18:05  107.900MHz 100%  MO WE FR"},
        {{0, 0, 100050, 5, false, days({Su, Mo, Tu, We, Th, Fr, Sa})}, "00:00  100.050MHz  05%  MO TU WE TH FR SA SU"},
        {{12, 9, 98000, 99, false, days({Th})}, "12:09   98.000MHz  99%  TH"},
    };
    for (const Row &r : rows) {
        const QString line = schemeLine(r.parts);
        EXPECT_EQ(line, QLatin1String(r.line));
        // Columns stay put whatever the widths of frequency and power.
        EXPECT_EQ(line.at(16), u'z') << r.line;
        EXPECT_EQ(line.at(21), u'%') << r.line;
        EXPECT_EQ(readSchemeLine(line), r.parts) << r.line;
    }
}

// Stored lines are taken as they are; the editor shows what it can of them.
TEST(SchemeLine, ReadsLinesItDidNotWriteWithinTheEditorsRanges)
{
    SchemeParts fallback;
    fallback.frequencyKHz = 100000;
    struct Row {
        const char *line;
        int hour, minute;
        int32_t kHz;
        int power;
        bool daily;
        Weekdays days;
    };
    const Row rows[] = {
        // No "." in the frequency: the editor keeps its own.
        {"07:30   99500MHz  50%  DAILY", 7, 30, 100000, 50, true, {}},
        // Out of the band and over 100 %: clamped.
        {"06:15  120.000MHz 150%  MO", 6, 15, 108000, 100, false, days({Mo})},
        {"06:15   12.000MHz  -5%  SU", 6, 15, 87500, 0, false, days({Su})},
        // A time that is no time of day.
        {"25:75   99.500MHz  50%  DAILY", 23, 59, 99500, 50, true, {}},
        {"-:-     99.500MHz  50%  DAILY", 0, 0, 99500, 50, true, {}},
        // Too short for its columns.
        {"08:4", 8, 4, 100000, 0, false, {}},
        {"", 0, 0, 100000, 0, false, {}},
        // DAILY anywhere wins over day codes.
        {"09:00   99.500MHz  50%  MO DAILY", 9, 0, 99500, 50, true, {}},
    };
    for (const Row &r : rows) {
        const SchemeParts p = readSchemeLine(QLatin1String(r.line), fallback);
        EXPECT_EQ(p.hour, r.hour) << r.line;
        EXPECT_EQ(p.minute, r.minute) << r.line;
        EXPECT_EQ(p.frequencyKHz, r.kHz) << r.line;
        EXPECT_EQ(p.power, r.power) << r.line;
        EXPECT_EQ(p.daily, r.daily) << r.line;
        EXPECT_EQ(p.days, r.days) << r.line;
    }
}
