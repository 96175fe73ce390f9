#pragma once

#include "settings/settings_record.h"

#include <QString>

#include <variant>
#include <vector>

namespace zfm {

// Stored types: Integer is 16-bit, Long 32-bit, Boolean "True"/"False", String as is.
using FieldRef = std::variant<int16_t *, int32_t *, bool *, QString *>;

struct KeyBinding {
    QString key;
    FieldRef field;
    // Written back with the value that was read; nothing in the program uses it.
    bool keptOnly = false;
    // Absent means default: the key is removed instead of stored empty.
    bool absentWhenEmpty = false;
};

// Every stored key of the record in load order, bound to its field in `record`.
// Families are generated here by rule; nothing else names a key.
std::vector<KeyBinding> recordKeys(SettingsRecord &record);

// The port map: "COMDevice1".."COMDevice16".
std::vector<KeyBinding> portMapKeys(SettingsRecord &record);

// The scheduler's keys: "Scheme 0".."Scheme 20", "SchemeValue 0".."SchemeValue 20", SchemeEnable.
std::vector<KeyBinding> scheduleKeys(SettingsRecord &record);

// Text form of a field as the store keeps it.
QString storedText(const FieldRef &field);

// Converts a stored text into the field; false (field untouched) when the text
// does not fit the field's type.
bool assignStoredText(const FieldRef &field, const QString &text);

} // namespace zfm
