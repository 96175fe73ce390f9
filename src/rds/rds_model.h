#pragma once

#include "settings/settings_record.h"

#include <QByteArray>
#include <QStringList>

#include <array>

namespace zfm {

// ---- Lists of the RDS pages ----

// Country codes 1..15 as one upper-case hex digit; entry n is code n + 1.
QStringList countryLabels();
// Area coverage codes 0..15: "L", "I", "N", "S", "R1".."R12".
QStringList areaLabels();
// Programme reference numbers 0..255 as two upper-case hex digits.
QStringList programReferenceLabels();
// Extended country codes; entry n is list number n + 1 (1..20), which is what the device takes.
QStringList eccLabels();
// Programme type names of the European RDS table, code 0 first.
QStringList ptyLabels();
// Alternative frequency codes 0..204: "empty", then 87.6 .. 107.9 MHz in the
// user's number format.
QStringList afLabels();

// The lists' ranges; the tables in rds_model.cpp are checked against them.
inline constexpr int kCountryCodeMax = 15; // 1..15
inline constexpr int kAreaCodeMax = 15; // 0..15
inline constexpr int kProgramReferenceMax = 255; // 0..255
inline constexpr int kEccMax = 20; // list numbers 1..20
inline constexpr int kPtyMax = 31; // 0..31
// The delay of a dynamic PS entry ("PSDelay", "AutoPSDelay", "SETTOSAMEDELAY"):
// 0..9, one digit in the read-back.
inline constexpr int kMaxPsDelay = 9;

inline constexpr int kAfCodeMax = 204;
inline constexpr int kAfCountBase = 224; // "AF0" value: 224 + number of AFs
inline constexpr int kTextLength = 64; // RadioText and messages
inline constexpr int kPsLength = 8;

// Value of a list entry by its text (1-based country and ECC, 0-based area and
// PTY), or -1 when the text is no entry.
int countryFromText(const QString &text);
int areaFromText(const QString &text);
int eccFromText(const QString &text);
int ptyFromText(const QString &text);

// ---- PI code ----

// Country digit, area digit and programme reference as the "PI code" label
// shows them ("3180" for the defaults). An area of -1 leaves its digit out.
QString piCodeText(const QString &countryText, int areaPosition, const QString &programReferenceText);
QString piCodeText(const SettingsRecord &record);

// ---- Alternative frequencies ----

// Sets AF list k (1..7) to `code`; an empty list empties every later one.
void setAlternativeFrequency(SettingsRecord &record, int k, int code);
// Whether AF list k can be chosen: every list before it holds a frequency.
bool isAfListEnabled(const SettingsRecord &record, int k);
// The number of leading lists that hold a frequency (0..7).
int16_t countAlternativeFrequencies(const SettingsRecord &record);

// ---- Command values ----

int diValue(const SettingsRecord &record); // d0 + 2 d1 + 4 d2 + 8 d3
QByteArray ccacValue(const SettingsRecord &record); // paddedDecimal3 of 16 * country + area
// The RadioText block of "Send settings": the text, then carriage returns to exactly 64.
QByteArray rtBlockValue(const QString &rt);
// A message frame's value: leading blanks removed, one carriage return, cut to 64.
QByteArray messageValue(const QString &message);
// The RadioText value of "Send RT and PS", the small family's upload and the
// automatic update: leading blanks removed, three carriage returns, cut to 64.
QByteArray rtValue(const QString &rt);

// ---- Text rules of the RT, message and PS boxes ----

// While typing: the first 64 characters.
QString cutText(const QString &text);
// On leaving the box: cut or padded with blanks to exactly 64.
QString padText(const QString &text);
// A PS text: cut or padded with blanks to exactly 8.
QString normalizePs(const QString &text);
// Every PS entry normalized.
void normalizePsTexts(SettingsRecord &record);

// "Set all to:": every PS entry's delay becomes the common delay SETTOSAMEDELAY.
void setAllPsDelays(SettingsRecord &record);

} // namespace zfm
