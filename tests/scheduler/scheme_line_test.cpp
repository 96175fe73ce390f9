// The scheme line: built from the editor's values and read back by its columns.
#include "scheduler/scheme_line.h"

#include <gtest/gtest.h>

using namespace zfm;

namespace {
enum { Mo, Tu, We, Th, Fr, Sa, Su };
Weekdays days(std::initializer_list<int> ticked)
{
    Weekdays d{};
    for (int i : ticked)
        d[i] = true;
    return d;
}
} // namespace

// Every column at once; the editor's own lines are checked in the scheduler tab.
TEST(SchemeLine, BuildsTheFixedColumnsAndReadsThemBack)
{
    const SchemeParts parts{0, 0, 100050, 5, false, days({Su, Mo, Tu, We, Th, Fr, Sa})};
    const QLatin1String line("00:00  100.050MHz  05%  MO TU WE TH FR SA SU");
    EXPECT_EQ(schemeLine(parts), line);
    EXPECT_EQ(readSchemeLine(line), parts);
}

// Stored lines are taken as they are; the editor shows what it can of them.
TEST(SchemeLine, ReadsForeignLinesWithinTheEditorsRanges)
{
    const std::pair<const char *, SchemeParts> rows[] = {
        {"07:30   99500MHz  50%  DAILY", {7, 30, 100000, 50, true, {}}}, // no ".": the editor's own F
        {"06:15  120.000MHz 150%  MO", {6, 15, 108000, 100, false, days({Mo})}},
        {"06:15   12.000MHz  -5%  SU", {6, 15, 87500, 0, false, days({Su})}},
        {"25:75   99.500MHz  50%  MO DAILY", {23, 59, 99500, 50, true, {}}},
        {"-:-     99.500MHz  50%  DAILY", {0, 0, 99500, 50, true, {}}},
        {"08:4", {8, 4, 100000, 0, false, {}}},
    };
    for (const auto &[line, parts] : rows)
        EXPECT_EQ(readSchemeLine(QLatin1String(line)), parts) << line;
}
