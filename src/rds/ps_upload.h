#pragma once

#include "link/wire_script.h"
#include "settings/settings_record.h"

#include <array>
#include <vector>

namespace zfm {

// The dynamic PS list as the device rotates it: 100 texts and their delays.
struct PsList {
    std::array<QString, kPsEntries> texts;
    std::array<int16_t, kPsEntries> delays{};

    static PsList of(const SettingsRecord &record);
    bool operator==(const PsList &) const = default;
};

// Which entries of the list an upload sends, each in ascending order: the
// texts first, then the delays.
struct PsEntries {
    std::vector<int> texts;
    std::vector<int> delays;

    // Every text and every delay.
    static PsEntries all();
    // The texts and delays of `to` that differ from `from`.
    static PsEntries changed(const PsList &from, const PsList &to);
    int frames() const { return static_cast<int>(texts.size() + delays.size()); }
    bool operator==(const PsEntries &) const = default;
};

// The PS frames ("PS00".."PS99") and then the delay frames ("PD00".."PD99")
// of the chosen entries, each with its status text and progress value, as both
// "Send RT and PS" and the automatic PS update send them. The status texts
// and the progress bar count the frames sent: with every entry, PS i is at
// i / 2 % and its delay at 50 + i / 2 %. No port handling.
WireScript psFrames(const SettingsRecord &record, const PsEntries &entries);
// The whole list.
WireScript dynamicPsFrames(const SettingsRecord &record);

// How far `sent` of `total` frames is, in percent as the status texts show
// it: at most one decimal, the user's separator.
QString framePercent(int sent, int total);
// "i / 2" as the status texts of the whole list show it.
QString halfPercent(int i);

} // namespace zfm
