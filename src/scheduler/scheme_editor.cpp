#include "scheduler/scheme_editor.h"

#include "transmitter/frequency.h"

#include <algorithm>

namespace zfm {

namespace {
constexpr int32_t kStartFrequencyKHz = 100000;
constexpr int kStartPower = 50;
} // namespace

SchemeEditor::SchemeEditor(SettingsRecord &record, Mode mode, int selected)
    : record_(&record), mode_(mode), selected_(selected)
{
    record_->schemeFrequencyKHz = kStartFrequencyKHz;
    parts_.power = kStartPower;
}

SchemeEditor::SchemeEditor(SettingsRecord &record, int startHour, int startMinute) : SchemeEditor(record, Mode::Add, -1)
{
    setTime(startHour, startMinute);
}

std::optional<SchemeEditor> SchemeEditor::forEdit(SettingsRecord &record, int selected)
{
    if (selected < 0 || static_cast<size_t>(selected) >= record.schemeList.size())
        return std::nullopt;
    SchemeEditor editor(record, Mode::Edit, selected);
    SchemeParts start = editor.parts_;
    start.frequencyKHz = record.schemeFrequencyKHz;
    const SchemeParts read = readSchemeLine(record.schemeList[selected].line, start);
    editor.parts_ = read;
    record.schemeFrequencyKHz = read.frequencyKHz;
    record.schemeEditMode = true;
    return editor;
}

QString SchemeEditor::windowCaption() const
{
    return mode_ == Mode::Add ? QStringLiteral("Add scheme") : QStringLiteral("Modify scheme");
}

QString SchemeEditor::confirmCaption() const
{
    return mode_ == Mode::Add ? QStringLiteral("ADD") : QStringLiteral("MODIFY");
}

QString SchemeEditor::closeCaption() const
{
    return mode_ == Mode::Add ? QStringLiteral("Close") : QStringLiteral("Cancel");
}

QString SchemeEditor::frequencyDisplay() const { return frequencyText(record_->schemeFrequencyKHz); }

void SchemeEditor::stepFrequency(int32_t step)
{
    record_->schemeFrequencyKHz = zfm::stepFrequency(record_->schemeFrequencyKHz, step);
}

void SchemeEditor::setPower(int percent) { parts_.power = std::clamp(percent, 0, 100); }

void SchemeEditor::setTime(int hour, int minute)
{
    parts_.hour = std::clamp(hour, 0, 23);
    parts_.minute = std::clamp(minute, 0, 59);
}

bool SchemeEditor::day(int weekday) const { return weekday >= 0 && weekday < kWeekdays && parts_.days[weekday]; }

void SchemeEditor::setDay(int weekday, bool ticked)
{
    if (weekday >= 0 && weekday < kWeekdays)
        parts_.days[weekday] = ticked;
}

SchemeParts SchemeEditor::current() const
{
    SchemeParts p = parts_;
    p.frequencyKHz = record_->schemeFrequencyKHz;
    return p;
}

QString SchemeEditor::line() const { return schemeLine(current()); }

ConfirmOutcome SchemeEditor::confirm()
{
    auto &list = record_->schemeList;
    if (mode_ == Mode::Add && list.size() >= static_cast<size_t>(std::max<int16_t>(record_->maxSchemeIndex, 0)))
        return {QString::fromLatin1(kMaxSchemesMessage)};
    if (!parts_.daily && std::none_of(parts_.days.begin(), parts_.days.end(), [](bool d) { return d; }))
        return {QString::fromLatin1(kSelectDayMessage)};

    ConfirmOutcome done;
    done.listChanged = true;
    if (mode_ == Mode::Add) {
        list.push_back({line(), false});
    } else {
        // The list cannot change while the editor is open; guard anyway.
        record_->schemeEditMode = false;
        if (static_cast<size_t>(selected_) >= list.size())
            return {QString(), false, true};
        list[selected_].line = line();
        done.closeEditor = true;
    }
    record_->scheduleChanged = true;
    return done;
}

void SchemeEditor::close() { record_->schemeEditMode = false; }

} // namespace zfm
