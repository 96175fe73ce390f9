#pragma once

#include "settings/settings_record.h"

#include <QString>

#include <array>
#include <optional>
#include <string_view>

namespace zfm {

// Length in characters of a complete RDS read-back, the closing "$" not counted.
inline constexpr int kReadBackLength = 3313;
// "0AF".."7AF": the count of alternative frequencies, then AF1..AF7.
inline constexpr int kReadBackAfItems = 8;
inline constexpr int kPsTextLength = 8;
inline constexpr int kLongTextLength = 64;

// The RDS encoder's settings as its read-back reports them, before any list
// rule is applied. An empty optional means the item was not in the reply (or
// its value ran past the reply's end); applying it leaves the field alone.
struct ReadBack {
    // Set to the entry whose delay was not a digit: decoding stopped there,
    // so only the delays before it are filled.
    std::optional<int> abortedAt;
    std::array<std::optional<int>, kPsEntries> psDelay; // "NNPD": 0..9
    std::array<std::optional<QString>, kPsEntries> ps; // "NNPS": 8 characters
    // "nAF" as received: n = 0 is 228 + the number of AFs, n >= 1 is the AF code + 4.
    std::array<std::optional<int>, kReadBackAfItems> af;
    std::optional<int> pty; // "PTY"
    std::optional<QString> rt; // "RT": 64 characters
    std::array<std::optional<QString>, kMessages> mg; // "nMG": 64 characters
    std::optional<bool> rdsActive; // "PWR": any character but "0" is on
    std::optional<int> ecc; // "ECC": the ECC list number + 4
    std::optional<int> ccac; // "CCAC": 16 x country code + area coverage
    std::optional<int> pref; // "PREF"
    std::optional<int> ta; // "TA": one decimal digit
    std::optional<int> tp; // "TP"
    std::array<std::optional<int>, 4> did; // "DID0".."DID3"
    std::optional<int> ms; // "MS"

    bool operator==(const ReadBack &) const = default;
};

// Decodes a read-back from the receive buffer, from where the read-back begins
// up to its closing "$" (not included).
// Every value is taken at a fixed distance from its key's first character;
// keys that lie inside a PS, RadioText or message text are never used.
ReadBack decodeReadBack(std::string_view buffer);

// Where a read-back begins in the buffer: at its first delay key ("00PD"), the
// item the device sends first; npos when the buffer holds none.
size_t readBackStart(std::string_view buffer);

// True when the buffer ends inside the value of a PS, RadioText or message
// item, so that a "$" arriving now is a character of that text, not the end
// of the reply. The buffer must begin where the read-back does: the texts are
// found by stepping from item to item.
bool endsInsideTextValue(std::string_view buffer);

// A decimal number as the device's numbers are read: digits from the start,
// blanks skipped, anything after them ignored; no digits gives 0.
int decimalNumber(std::string_view text);

} // namespace zfm
