#include "autoupdate/ps_rebuild.h"

#include "link/char_text.h"

#include <algorithm>

namespace zfm {

namespace {

// Cut to 8 characters and padded with blanks to exactly 8.
QString psText(QStringView text)
{
    QString out = leftChars(text, kPsChars);
    return out + QString(kPsChars - charCount(out), u' ');
}

const QString kBlankPs(kPsChars, u' ');

void rebuildSplit(SettingsRecord &r, const QString &title, int delay, const std::optional<QDate> &date)
{
    for (int k = 0; k < kSplitPieces; ++k)
        r.PS[k] = midChars(title, k * kPsChars, kPsChars);
    // Entries 8 to 15 keep their texts, brought to the same shape.
    for (int k = 0; k < 2 * kSplitPieces; ++k)
        r.PS[k] = psText(r.PS[k]);
    // A piece that is all blanks is taken out of the rotation.
    for (int k = 0; k < kSplitPieces; ++k)
        r.PSDelay[k] = static_cast<int16_t>(r.PS[k] != kBlankPs ? delay : 0);
    if (date) {
        r.PS[kSplitDateEntry] = psDateText(*date);
        r.PSDelay[kSplitDateEntry] = static_cast<int16_t>(delay);
    } else {
        // Without "Insert DATE" the date entry leaves the rotation, so the date
        // of the day the box was last ticked does not stay on air.
        r.PSDelay[kSplitDateEntry] = 0;
    }
}

void rebuildScroll(SettingsRecord &r, const QString &title, int delay, const std::optional<QDate> &date)
{
    // The last window shows the end of the title; a title of 7 characters or
    // fewer is a single window.
    const int titleWindows = std::max<int>(1, static_cast<int>(charCount(title)) - (kPsChars - 2));
    // The date ends the scroll in place of the last window, unless that window
    // is the title's only one: then it follows it.
    const int last = date && titleWindows == 1 ? 1 : titleWindows - 1;
    constexpr int kScrollTextEntries = 58; // entries 0..57
    constexpr int kScrollDelayEntries = 65; // delays 0..64
    for (int i = 0; i < titleWindows; ++i) {
        r.PS[i] = psText(midChars(title, i, kPsChars));
        r.PSDelay[i] = static_cast<int16_t>(r.PS[i] != kBlankPs ? delay : 0);
    }
    for (int i = titleWindows; i < kScrollTextEntries; ++i)
        r.PS[i] = kBlankPs;
    for (int i = titleWindows; i < kScrollDelayEntries; ++i)
        r.PSDelay[i] = 0;
    if (date)
        r.PS[last] = psDateText(*date);
    // The last window stays longest; the delay list ends at 9.
    r.PSDelay[last] = static_cast<int16_t>(std::min(delay + 2, kMaxPsDelay));
}

void rebuildTurnOff(SettingsRecord &r, const QString &title, int delay, const std::optional<QDate> &date)
{
    r.PS[0] = leftChars(title, kPsChars);
    if (date) {
        r.PS[kSplitDateEntry] = psDateText(*date);
        r.PSDelay[kSplitDateEntry] = static_cast<int16_t>(delay);
    }
}

QString upperTitle(const QString &text) { return leftChars(text, kTitleChars).toUpper(); }

} // namespace

QString composeTitle(const QStringList &fields) { return leftChars(fields.mid(0, 3).join(u' '), kTitleChars); }

QString psDateText(const QDate &date)
{
    QString text
        = QStringLiteral("%1.%2.%3").arg(date.day()).arg(date.month()).arg(date.year() % 100, 2, 10, QLatin1Char('0'));
    if (text.size() < kPsChars)
        text.prepend(u' ');
    return text.leftJustified(kPsChars, u' ');
}

void rebuildPsList(
    SettingsRecord &record, AutoUpdateType type, const QString &title, int delay, const std::optional<QDate> &date)
{
    delay = std::clamp(delay, 0, kMaxPsDelay);
    switch (type) {
    case AutoUpdateType::Split: rebuildSplit(record, title, delay, date); break;
    case AutoUpdateType::Scroll: rebuildScroll(record, title, delay, date); break;
    case AutoUpdateType::TurnOff: rebuildTurnOff(record, title, delay, date); break;
    }
}

bool psUploadDue(const QString &titleDisplay, const QString &lastSentTitle, AutoUpdateType type)
{
    if (type == AutoUpdateType::TurnOff)
        return false;
    return upperTitle(titleDisplay) != upperTitle(lastSentTitle);
}

} // namespace zfm
