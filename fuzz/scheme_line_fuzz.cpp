// libFuzzer target for the scheduler's lines and their evaluation.
//
// Input: four bytes set the clock and the state, then the list's lines, one
// per "\n" (at most 40), each behind one marker byte: "+" ticks the line, any
// other byte leaves it unticked.
//   byte 0  weekday (0 = Monday ... 6 = Sunday)
//   byte 1  hour (mod 24), byte 2 minute (mod 60)
//   byte 3  bit 0 scheduleChanged, bit 1 "Enable scheduler", bit 2 lines are
//           Latin-1 rather than UTF-8, bits 3-7 the second (mod 60)
//
// Checked: the editor reads any line into what it can show (time of day,
// frequency on the band, power 0..100); a line it writes reads back as the
// same scheme, writes the same line again, and the evaluation reads that line
// as the editor does. The tables hold the ticked lines in list order; a
// scheme that applies is a ticked line of today whose minute it is (or a
// midnight line after a change), with a frequency on the band and raster and
// a power 0..100, so an unusable line never applies; a minute is evaluated
// once; a switched-off scheduler evaluates nothing.
#include "fuzz_check.h"

#include "link/clock.h"
#include "scheduler/schedule_evaluation.h"
#include "scheduler/scheme_line.h"
#include "transmitter/frequency.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

using namespace zfm;

namespace {

using fuzz::check;

constexpr size_t kMaxLines = 40;

QString dayDigits(const SchemeParts &p)
{
    if (p.daily)
        return QStringLiteral("1234567");
    QString digits;
    for (int d = 0; d < kWeekdays; ++d) {
        if (p.days[d])
            digits += QChar(u'1' + d);
    }
    return digits;
}

void checkEditorRoundTrip(const QString &line)
{
    const SchemeParts parts = readSchemeLine(line);
    check(parts.hour >= 0 && parts.hour <= 23 && parts.minute >= 0 && parts.minute <= 59, "a time of day");
    check(parts.frequencyKHz >= kMinFrequencyKHz && parts.frequencyKHz <= kMaxFrequencyKHz, "a frequency on the band");
    check(parts.power >= 0 && parts.power <= 100, "a power 0..100");

    const QString written = schemeLine(parts);
    check(readSchemeLine(written) == parts, "an editor line reads back as its scheme");
    check(schemeLine(readSchemeLine(written)) == written, "an editor line is written again unchanged");

    const std::vector<SchemeTableEntry> tables = parseSchemes({{written, true}});
    check(tables.size() == 1, "a ticked line is in the tables");
    const SchemeTableEntry &e = tables.front();
    check(e.hour == parts.hour && e.minute == parts.minute, "the evaluation reads the editor's time");
    check(e.power == parts.power, "the evaluation reads the editor's power");
    check(frequencyFromText(e.frequencyText) == parts.frequencyKHz, "the evaluation reads the editor's frequency");
    check(e.days == dayDigits(parts), "the evaluation reads the editor's days");
    const auto match = readScheme(e);
    check(match.has_value() == isValidFrequency(parts.frequencyKHz), "an editor line is usable on the raster");
}

void checkMatch(
    const std::optional<SchemeMatch> &m, const std::vector<SchemeEntry> &list, const QDateTime &now, bool changed)
{
    if (!m)
        return;
    check(isValidFrequency(m->frequencyKHz), "a match's frequency is on the band and raster");
    check(m->power >= 0 && m->power <= 100, "a match's power is 0..100");
    check(m->listIndex >= 0 && size_t(m->listIndex) < list.size(), "a match is a line of the list");
    const SchemeEntry &line = list[size_t(m->listIndex)];
    check(line.ticked, "only ticked lines apply");
    const SchemeTableEntry e = parseSchemes({{line.line, true}}).front();
    check(e.days.contains(QChar(u'0' + now.date().dayOfWeek())), "only today's lines apply");
    const bool due = e.hour == now.time().hour() && e.minute == now.time().minute();
    check(due || (changed && e.hour == 0 && e.minute == 0), "a line applies in its minute");
    const auto read = readScheme(e);
    check(read && read->frequencyKHz == m->frequencyKHz && read->power == m->power, "a match is what its line says");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const bool changed = data[3] & 1;
    const bool enabled = data[3] & 2;
    const bool latin1 = data[3] & 4;
    const QDateTime now(QDate(2026, 3, 2).addDays(data[0] % 7), QTime(data[1] % 24, data[2] % 60, (data[3] >> 3) % 60));

    std::vector<SchemeEntry> list;
    std::string_view rest(reinterpret_cast<const char *>(data + 4), size - 4);
    while (!rest.empty() && list.size() < kMaxLines) {
        const size_t end = std::min(rest.find('\n'), rest.size());
        const std::string_view raw = rest.substr(0, end).substr(std::min<size_t>(1, end));
        const QString line = latin1 ? QString::fromLatin1(raw.data(), qsizetype(raw.size()))
                                    : QString::fromUtf8(raw.data(), qsizetype(raw.size()));
        list.push_back({line, end > 0 && rest[0] == '+'});
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }

    size_t ticked = 0;
    for (const SchemeEntry &e : list) {
        checkEditorRoundTrip(e.line);
        ticked += e.ticked ? 1 : 0;
    }
    const std::vector<SchemeTableEntry> tables = parseSchemes(list);
    check(tables.size() == ticked, "one table entry per ticked line");
    for (size_t j = 0; j < tables.size(); ++j) {
        check(list[size_t(tables[j].listIndex)].ticked, "table entries are ticked lines");
        check(j == 0 || tables[j].listIndex > tables[j - 1].listIndex, "table entries in list order");
    }

    SettingsRecord record;
    record.schemeList = list;
    record.scheduleChanged = changed;
    record.SchemeEnable = enabled ? 1 : 0;
    ManualClock clock(now);
    ScheduleEvaluator evaluator(clock);

    const auto first = evaluator.onTick(record);
    if (!enabled) {
        check(!first && evaluator.lastEvaluatedMinute() == EvaluatedMinute{}, "a switched-off scheduler waits");
        check(record.scheduleChanged == changed, "a switched-off scheduler keeps the change");
        return 0;
    }
    checkMatch(first, list, now, changed);
    // With nothing ticked the change waits for a line to be ticked.
    check(!record.scheduleChanged || ticked == 0, "an evaluation takes the change");
    check(!evaluator.onTick(record), "each minute is evaluated once");

    clock.advanceMs(60 * 1000);
    checkMatch(evaluator.onTick(record), list, clock.now(), false);
    return 0;
}
