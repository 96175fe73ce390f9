#include "scheduler/schedule_evaluation.h"

#include "link/clock.h"
#include "scheduler/scheme_line.h"
#include "transmitter/frequency.h"

namespace zfm {

std::vector<SchemeTableEntry> parseSchemes(const std::vector<SchemeEntry> &list)
{
    std::vector<SchemeTableEntry> tables;
    for (size_t i = 0; i < list.size(); ++i) {
        if (!list[i].ticked)
            continue;
        const QString &line = list[i].line;
        SchemeTableEntry e;
        e.listIndex = static_cast<int>(i);
        if (!line.startsWith(QLatin1Char('-'))) {
            e.hour = static_cast<int16_t>(columnValue(line, 1, 2));
            e.minute = static_cast<int16_t>(columnValue(line, 4, 2));
        } else {
            e.hour = e.minute = kNoTime;
        }
        // A 10-character frequency ("100.000MHz") starts one column earlier.
        e.frequencyText = columns(line, 8, 1) == QLatin1String("1") ? columns(line, 8, 10) : columns(line, 9, 9);
        e.power = static_cast<int16_t>(columns(line, 19, 1) == QLatin1String("1") ? 100 : columnValue(line, 20, 2));
        if (line.contains(QLatin1String(kDailyCode))) {
            e.days = QStringLiteral("1234567");
        } else {
            for (int d = 0; d < kWeekdays; ++d) {
                if (line.contains(QLatin1String(kDayCodes[d])))
                    e.days += QChar(u'1' + d);
            }
        }
        tables.push_back(e);
    }
    return tables;
}

std::optional<SchemeMatch> readScheme(const SchemeTableEntry &e)
{
    if (e.hour < 0 || e.hour > 23 || e.minute < 0 || e.minute > 59 || e.power < 0 || e.power > 100)
        return std::nullopt;
    const auto kHz = frequencyFromText(e.frequencyText);
    if (!kHz || !isValidFrequency(*kHz))
        return std::nullopt;
    return SchemeMatch{*kHz, e.power, e.listIndex};
}

void applyScheme(SettingsRecord &record, const SchemeMatch &match)
{
    record.TXFrequency = match.frequencyKHz;
    record.TXPower = match.power;
}

std::optional<SchemeMatch> ScheduleEvaluator::onTick(SettingsRecord &record)
{
    if (record.SchemeEnable == 0)
        return std::nullopt;
    return evaluateMinute(record);
}

std::optional<SchemeMatch> ScheduleEvaluator::evaluateMinute(SettingsRecord &record)
{
    const QDateTime now = clock_.now();
    const int isoDay = now.date().dayOfWeek(); // Monday = 1 ... Sunday = 7: today's digit
    const EvaluatedMinute minute{static_cast<int16_t>(isoDay % 7 + 1), static_cast<int16_t>(now.time().hour()),
        static_cast<int16_t>(now.time().minute())};
    if (!record.scheduleChanged && minute == last_)
        return std::nullopt;
    last_ = minute;
    const QChar today(u'0' + isoDay);

    tables_ = parseSchemes(record.schemeList);
    if (tables_.empty())
        return std::nullopt;

    std::optional<SchemeMatch> applied;
    for (const SchemeTableEntry &e : tables_) {
        if (!e.days.contains(today) || e.hour == kNoTime)
            continue;
        const bool midnightAfterChange = e.hour == 0 && e.minute == 0 && record.scheduleChanged;
        if (!midnightAfterChange && (e.hour != minute.hour || e.minute != minute.minute))
            continue;
        // A line that cannot be read is passed over like one of another day.
        if ((applied = readScheme(e)))
            break;
    }
    record.scheduleChanged = false;
    return applied;
}

} // namespace zfm
