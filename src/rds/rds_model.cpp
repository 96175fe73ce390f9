#include "rds/rds_model.h"

#include "link/char_text.h"
#include "link/encodings.h"

#include <QLocale>

#include <span>

namespace zfm {

namespace {

constexpr const char *kAreas[]
    = {"L", "I", "N", "S", "R1", "R2", "R3", "R4", "R5", "R6", "R7", "R8", "R9", "R10", "R11", "R12"};
// ECC list numbers 1..20 as the encoder's manual orders them.
constexpr const char *kEcc[] = {"A0", "A1", "A2", "A3", "A4", "A5", "A6", "D0", "D1", "D2", "D3", "E0", "E1", "E2",
    "E3", "E4", "F0", "F1", "F2", "F3"};
// RDS programme type codes, European table.
constexpr const char *kPty[] = {"Undefined", "News", "Affairs", "Info", "Sport", "Educate", "Drama", "Culture",
    "Science", "Varied", "Pop Music", "Rock Music", "Easy Music", "Light Music", "Classics", "Other Music", "Weather",
    "Finance", "Children's program", "Social Affairs", "Religion", "Phone In", "Travel", "Leisure", "Jazz Music",
    "Country Music", "National Music", "Oldies Music", "Folk Music", "Documentary", "Alarm test", "Alarm"};
static_assert(std::size(kAreas) == kAreaCodeMax + 1);
static_assert(std::size(kEcc) == kEccMax);
static_assert(std::size(kPty) == kPtyMax + 1);

QStringList fromTable(std::span<const char *const> table)
{
    QStringList out;
    for (const char *t : table)
        out << QString::fromLatin1(t);
    return out;
}

int indexIn(std::span<const char *const> table, const QString &text)
{
    for (size_t i = 0; i < table.size(); ++i) {
        if (text == QLatin1String(table[i]))
            return static_cast<int>(i);
    }
    return -1;
}

QString hexDigits(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0')).toUpper();
}

QString withoutLeadingBlanks(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size() && text.at(start) == QLatin1Char(' '))
        ++start;
    return text.mid(start);
}

} // namespace

QStringList countryLabels()
{
    QStringList out;
    for (int c = 1; c <= kCountryCodeMax; ++c)
        out << hexDigits(c, 1);
    return out;
}

QStringList areaLabels() { return fromTable(kAreas); }

QStringList programReferenceLabels()
{
    QStringList out;
    for (int n = 0; n <= kProgramReferenceMax; ++n)
        out << hexDigits(n, 2);
    return out;
}

QStringList eccLabels() { return fromTable(kEcc); }

QStringList ptyLabels() { return fromTable(kPty); }

QStringList afLabels()
{
    QStringList out{QStringLiteral("empty")};
    const QLocale locale;
    for (int k = 1; k <= kAfCodeMax; ++k)
        out << locale.toString((875 + k) / 10.0, 'g', 4);
    return out;
}

int countryFromText(const QString &text)
{
    const int i = countryLabels().indexOf(text);
    return i < 0 ? -1 : i + 1;
}

int areaFromText(const QString &text) { return indexIn(kAreas, text); }

int eccFromText(const QString &text)
{
    const int i = indexIn(kEcc, text);
    return i < 0 ? -1 : i + 1;
}

int ptyFromText(const QString &text) { return indexIn(kPty, text); }

QString piCodeText(const QString &countryText, int areaPosition, const QString &programReferenceText)
{
    const QString area = areaPosition >= 0 ? hexDigits(areaPosition, 1) : QString();
    return countryText + area + programReferenceText;
}

QString piCodeText(const SettingsRecord &r)
{
    const QStringList countries = countryLabels();
    const QString country
        = r.CountryCode >= 1 && r.CountryCode <= kCountryCodeMax ? countries[r.CountryCode - 1] : QString();
    const int area = r.AreaCoverage >= 0 && r.AreaCoverage <= kAreaCodeMax ? r.AreaCoverage : -1;
    const QString reference = r.ProgramReference >= 0 && r.ProgramReference <= kProgramReferenceMax
        ? hexDigits(r.ProgramReference, 2)
        : QString();
    return piCodeText(country, area, reference);
}

void setAlternativeFrequency(SettingsRecord &r, int k, int code)
{
    if (k < 1 || k > kAfLists)
        return;
    r.AF[k] = static_cast<int16_t>(code);
    if (code == 0) {
        for (int later = k + 1; later <= kAfLists; ++later)
            r.AF[later] = 0;
    }
}

bool isAfListEnabled(const SettingsRecord &r, int k)
{
    for (int before = 1; before < k; ++before) {
        if (r.AF[before] == 0)
            return false;
    }
    return true;
}

int16_t countAlternativeFrequencies(const SettingsRecord &r)
{
    int16_t n = 0;
    while (n < kAfLists && r.AF[n + 1] != 0)
        ++n;
    return n;
}

int diValue(const SettingsRecord &r)
{
    return (r.DId[0] != 0 ? 1 : 0) + (r.DId[1] != 0 ? 2 : 0) + (r.DId[2] != 0 ? 4 : 0) + (r.DId[3] != 0 ? 8 : 0);
}

QByteArray ccacValue(const SettingsRecord &r) { return paddedDecimal3(16 * r.CountryCode + r.AreaCoverage); }

QByteArray rtBlockValue(const QString &rt)
{
    return textValue((rt + QString(2 + 64, QLatin1Char(kCarriageReturn))).left(kTextLength));
}

QByteArray messageValue(const QString &message)
{
    return textValue((withoutLeadingBlanks(message) + QLatin1Char(kCarriageReturn)).left(kTextLength));
}

QByteArray rtValue(const QString &rt)
{
    return textValue(leftChars(withoutLeadingBlanks(rt) + QString(3, QLatin1Char(kCarriageReturn)), kTextLength));
}

QString cutText(const QString &text) { return text.left(kTextLength); }

QString padText(const QString &text) { return text.left(kTextLength).leftJustified(kTextLength, QLatin1Char(' ')); }

QString normalizePs(const QString &text) { return text.left(kPsLength).leftJustified(kPsLength, QLatin1Char(' ')); }

void normalizePsTexts(SettingsRecord &r)
{
    for (QString &ps : r.PS)
        ps = normalizePs(ps);
}

void setAllPsDelays(SettingsRecord &r)
{
    for (int i = 0; i < kPsEntries; ++i)
        r.PSDelay[i] = r.SETTOSAMEDELAY;
}

} // namespace zfm
