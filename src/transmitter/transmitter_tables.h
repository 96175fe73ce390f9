#pragma once

#include "settings/settings_record.h"

#include <QStringList>

#include <array>
#include <span>

namespace zfm {

// How one family's transmitter takes a list position.
enum class ListEncoding { NotSent, Decimal, Offset };

struct ListCommand {
    const char *name;
    ListEncoding encoding;
};

// One drop-down list of the transmitter: its label, the record field that
// keeps the chosen position, the program's default, the labels in order
// ("[D]", "(D)", "-Default" inside a label mark the device's factory value),
// and what each family sends for it.
struct TransmitterList {
    const char *objectName; // the widget's name
    const char *caption; // the label beside the list
    const char *key;
    int16_t SettingsRecord::*field;
    int16_t defaultPosition;
    std::span<const char *const> labels;
    ListCommand classic;
    ListCommand small;

    QStringList labelList() const;
    bool contains(int position) const { return position >= 0 && position < static_cast<int>(labels.size()); }
};

// Every transmitter list, from the transmitter's documentation, in the order
// of its parameter table.
const std::array<TransmitterList, 17> &transmitterLists();

// The list bound to a record field, or nullptr.
const TransmitterList *transmitterList(int16_t SettingsRecord::*field);

} // namespace zfm
