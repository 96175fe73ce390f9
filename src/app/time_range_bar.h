#pragma once

#include <QDateTime>
#include <QWidget>

class QComboBox;
class QDateTimeEdit;
class QLabel;

namespace zfm {

// "Period:" - all time (when offered), the last hour, day or week, or a
// range chosen with "From:" and "To:", shown only for that choice.
class TimeRangeBar : public QWidget {
    Q_OBJECT
public:
    enum class Period { All, LastHour, LastDay, LastWeek, Chosen };

    TimeRangeBar(bool offerAll, QWidget *parent = nullptr);

    Period period() const;
    void setPeriod(Period period);
    // The range as of `now`: [from, to); an invalid end is open.
    std::pair<QDateTime, QDateTime> range(const QDateTime &now) const;
    // Whether the range moves with the clock.
    bool follows() const { return period() != Period::Chosen; }
    QComboBox *periodBox() const { return period_; }

signals:
    void changed();

private:
    void showChosen();

    QComboBox *period_ = nullptr;
    QLabel *fromLabel_ = nullptr;
    QLabel *toLabel_ = nullptr;
    QDateTimeEdit *from_ = nullptr;
    QDateTimeEdit *to_ = nullptr;
};

} // namespace zfm
