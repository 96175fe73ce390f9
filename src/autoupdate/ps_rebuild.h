#pragma once

#include "rds/rds_model.h"
#include "settings/settings_record.h"

#include <QDate>
#include <QStringList>

#include <optional>

namespace zfm {

// The kind of cutting: the position of the (hidden) type choice.
enum class AutoUpdateType : int16_t {
    TurnOff = 0, // "Turn off": the title only goes into the static PS, unpadded
    Split = 1, // "Split into 9 separate PS": 8-character pieces side by side
    Scroll = 2, // "Scroll PS": a window moving one character at a time
};
// The highest stored "AutoPS" position.
inline constexpr int16_t kLastAutoUpdateType = static_cast<int16_t>(AutoUpdateType::Scroll);

inline constexpr int kTitleChars = 64;
inline constexpr int kPsChars = 8;
// Entries a split title fills, and the date's entry in split and "Turn off" mode.
inline constexpr int kSplitPieces = 8;
inline constexpr int kSplitDateEntry = 8;

// The title of a title file: the first three fields joined by one blank, cut
// to 64 characters (the title display holds no more).
QString composeTitle(const QStringList &fields);

// "Insert DATE": day.month.yy without leading zeros on day and month, a blank
// in front when shorter than 8 characters, padded to 8 (" 5.12.26", "15.12.26",
// " 5.1.27 ").
QString psDateText(const QDate &date);

// Rebuilds the dynamic PS list of the record from `title` (at most 64
// characters) for the given type. `delay` is the "Delay:" position (0..9);
// `date` is the day to show, when "Insert DATE" is ticked. Only the entries
// and delays the type owns change.
void rebuildPsList(
    SettingsRecord &record, AutoUpdateType type, const QString &title, int delay, const std::optional<QDate> &date);

// Whether the list must go to the device: the title display differs from the
// title last sent in its first 64 characters, letter case aside, and the type
// cuts titles ("Turn off" never uploads).
bool psUploadDue(const QString &titleDisplay, const QString &lastSentTitle, AutoUpdateType type);

} // namespace zfm
