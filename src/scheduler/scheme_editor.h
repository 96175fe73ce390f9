#pragma once

#include "scheduler/scheme_line.h"
#include "settings/settings_record.h"

#include <QString>

#include <optional>

namespace zfm {

// The texts of the editor's two failures.
inline constexpr const char *kMaxSchemesMessage = "Maximum number of schemes reached.";
inline constexpr const char *kSelectDayMessage = "Please select at least one day.";

// What pressing the confirm button ("ADD" / "MODIFY") did, for the caller to
// carry out: show `message` (OK) when it is not empty; when `listChanged`,
// show the list from `schemeList` again, enable "Edit..." and "Remove"
// (SchemeListControls::afterConfirm) and save the settings; close the editor
// when `closeEditor`.
struct ConfirmOutcome {
    QString message;
    bool listChanged = false;
    bool closeEditor = false;
};

// The scheme editor without its widgets. It works on the settings
// record: the list `schemeList`, `scheduleChanged`, `schemeEditMode` and the
// working frequency `schemeFrequencyKHz`. One editor is made per opening:
//
//   "Add...":  SchemeEditor editor(record);                       // add mode
//   "Edit...": auto editor = SchemeEditor::forEdit(record, row);  // nothing without a selected line
//
// and the editor's controls are bound to the getters and setters below.
class SchemeEditor {
public:
    enum class Mode { Add, Edit };

    // Add mode: F = 100000, slider 50, Daily, no day ticked, the time `start`
    // (hours and minutes only).
    explicit SchemeEditor(SettingsRecord &record, int startHour = 0, int startMinute = 0);
    // Edit mode for line `selected` of the list, filled from that line; sets
    // `schemeEditMode`. Nothing (and no change) when no line is selected.
    static std::optional<SchemeEditor> forEdit(SettingsRecord &record, int selected);

    Mode mode() const { return mode_; }
    // "Add scheme" / "Modify scheme", "ADD" / "MODIFY", "Close" / "Cancel".
    QString windowCaption() const;
    QString confirmCaption() const;
    QString closeCaption() const;

    // The frequency buttons: F moves by the step (kStepUp1MHz ... kStepDown1MHz)
    // and stays within the band.
    int32_t frequencyKHz() const { return record_->schemeFrequencyKHz; }
    QString frequencyDisplay() const; // "100.000MHz"
    void stepFrequency(int32_t step);

    // The power in percent, 0 to 100.
    int power() const { return parts_.power; }
    void setPower(int percent);

    // The start time: hours and minutes.
    int hour() const { return parts_.hour; }
    int minute() const { return parts_.minute; }
    void setTime(int hour, int minute);

    // "Daily" / "Weekly"; the seven day boxes are visible with "Weekly".
    bool daily() const { return parts_.daily; }
    void setDaily(bool daily) { parts_.daily = daily; }
    bool dayBoxesVisible() const { return !parts_.daily; }
    // The day boxes, 0 = Monday ... 6 = Sunday.
    bool day(int weekday) const;
    void setDay(int weekday, bool ticked);

    // The line the confirm button would write now.
    QString line() const;

    // The confirm button: add mode appends the line unticked and stays open; edit mode
    // replaces the line in place keeping its tick and closes.
    ConfirmOutcome confirm();
    // "Close" / "Cancel", or the editor closed otherwise: clears schemeEditMode.
    void close();

private:
    SchemeEditor(SettingsRecord &record, Mode mode, int selected);
    SchemeParts current() const;

    SettingsRecord *record_;
    Mode mode_;
    int selected_ = -1;
    SchemeParts parts_; // everything but the frequency, which lives in the record
};

} // namespace zfm
