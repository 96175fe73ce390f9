// Scheme lines read back by their columns. (The editor's own lines are built
// and read back in the scheduler tab.)
#include "scheduler/scheme_line.h"

#include <gtest/gtest.h>

using namespace zfm;

// Stored lines are taken as they are; the editor shows what it can of them.
TEST(SchemeLine, ReadsForeignLinesWithinTheEditorsRanges)
{
    const std::pair<const char *, SchemeParts> rows[] = {
        {"07:30   99500MHz  50%  DAILY", {7, 30, 100000, 50, true, {}}}, // no ".": the editor's own F
        {"06:15  120.000MHz 150%  MO", {6, 15, 108000, 100, false, Weekdays{true}}},
        {"06:15   12.000MHz  -5%  SU",
            {6, 15, 87500, 0, false, Weekdays{false, false, false, false, false, false, true}}},
        {"25:75   99.500MHz  50%  MO DAILY", {23, 59, 99500, 50, true, {}}},
        {"-:-     99.500MHz  50%  DAILY", {0, 0, 99500, 50, true, {}}},
        {"08:4", {8, 4, 100000, 0, false, {}}},
    };
    for (const auto &[line, parts] : rows)
        EXPECT_EQ(readSchemeLine(QLatin1String(line)), parts) << line;
}
