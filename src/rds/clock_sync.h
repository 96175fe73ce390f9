#pragma once

#include "link/wire_script.h"
#include "settings/settings_record.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

namespace zfm {

// Sets the encoder's clock from the PC's. Opens the port with the line
// settings of "COMSpeed" (an open port stays as it is); the "TIME" frame with
// hour, minute and second and the "DATE" frame with year - 2004, month and
// day, each component read from the clock as it is written; the "GCT" switch;
// "SAVE"; the port is left closed. Status texts and progress along the way,
// "Ready" at the end. It changes no button.
WireScript synchronizeTimeScript(const SettingsRecord &record);

// The labels "PC Time" and "PC date": the locale's short forms.
QString pcTimeText(const QDateTime &now, const QLocale &locale = QLocale());
QString pcDateText(const QDateTime &now, const QLocale &locale = QLocale());

// Years whose code (year - 2004 + 4) is one byte above the frame's control
// bytes; the encoder's clock cannot be set outside them.
inline constexpr int kFirstSendableYear = 2004;
inline constexpr int kLastSendableYear = 2255;

// When the daily synchronisation at 03:15:00 is due, told by each tick of
// the one-second clock: on the first tick at or after 03:15:00 whose previous
// tick was before it (a one-second timer drifts, so one formatted second could
// be skipped or seen twice), at most once per calendar day. A PC clock outside
// kFirstSendableYear..kLastSendableYear is not sent.
class DailyClockSync {
public:
    // `startedAt`: the clock when the timer starts, the first tick's "previous".
    explicit DailyClockSync(const QDateTime &startedAt) : previous_(startedAt) { }

    // True: synchronise now.
    bool onClockTick(const QDateTime &now);

    static QTime syncTime() { return QTime(3, 15, 0); }

private:
    QDateTime previous_;
    QDate lastDueDay_; // the day whose 03:15:00 was last crossed
};

} // namespace zfm
