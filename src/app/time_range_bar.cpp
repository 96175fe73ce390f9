#include "app/time_range_bar.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLabel>

namespace zfm {

namespace {

struct PeriodSpec {
    TimeRangeBar::Period period;
    const char *caption;
};
// Chosen here.
constexpr PeriodSpec kPeriods[] = {
    {TimeRangeBar::Period::All, "All time"},
    {TimeRangeBar::Period::LastHour, "Last hour"},
    {TimeRangeBar::Period::LastDay, "Last day"},
    {TimeRangeBar::Period::LastWeek, "Last week"},
    {TimeRangeBar::Period::Chosen, "Chosen range"},
};

QDateTimeEdit *timeEdit(QWidget *parent, const char *name, const QDateTime &value)
{
    auto *edit = new QDateTimeEdit(value, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
    return edit;
}

} // namespace

TimeRangeBar::TimeRangeBar(bool offerAll, QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    period_ = new QComboBox(this);
    period_->setObjectName(QStringLiteral("cmbPeriod"));
    for (const PeriodSpec &p : kPeriods) {
        if (p.period != Period::All || offerAll)
            period_->addItem(QLatin1String(p.caption), static_cast<int>(p.period));
    }
    auto *label = new QLabel(QStringLiteral("Period:"), this);
    label->setBuddy(period_);
    period_->setAccessibleName(QStringLiteral("Period:"));

    const QDateTime now = QDateTime::currentDateTime();
    from_ = timeEdit(this, "dtpFrom", now.addDays(-1));
    to_ = timeEdit(this, "dtpTo", now);
    fromLabel_ = new QLabel(QStringLiteral("From:"), this);
    fromLabel_->setBuddy(from_);
    from_->setAccessibleName(QStringLiteral("From:"));
    toLabel_ = new QLabel(QStringLiteral("To:"), this);
    toLabel_->setBuddy(to_);
    to_->setAccessibleName(QStringLiteral("To:"));

    row->addWidget(label);
    row->addWidget(period_);
    row->addWidget(fromLabel_);
    row->addWidget(from_);
    row->addWidget(toLabel_);
    row->addWidget(to_);
    showChosen();

    connect(period_, &QComboBox::currentIndexChanged, this, [this] {
        showChosen();
        emit changed();
    });
    connect(from_, &QDateTimeEdit::dateTimeChanged, this, &TimeRangeBar::changed);
    connect(to_, &QDateTimeEdit::dateTimeChanged, this, &TimeRangeBar::changed);
}

TimeRangeBar::Period TimeRangeBar::period() const { return static_cast<Period>(period_->currentData().toInt()); }

void TimeRangeBar::setPeriod(Period period)
{
    const int index = period_->findData(static_cast<int>(period));
    if (index >= 0)
        period_->setCurrentIndex(index);
}

void TimeRangeBar::showChosen()
{
    const bool chosen = period() == Period::Chosen;
    for (QWidget *w : std::initializer_list<QWidget *>{fromLabel_, from_, toLabel_, to_})
        w->setVisible(chosen);
}

std::pair<QDateTime, QDateTime> TimeRangeBar::range(const QDateTime &now) const
{
    switch (period()) {
    case Period::All: return {};
    case Period::LastHour: return {now.addSecs(-3600), now.addSecs(1)};
    case Period::LastDay: return {now.addDays(-1), now.addSecs(1)};
    case Period::LastWeek: return {now.addDays(-7), now.addSecs(1)};
    case Period::Chosen: break;
    }
    // Whole minutes as shown: "To:" includes its minute.
    return {from_->dateTime(), to_->dateTime().addSecs(60)};
}

} // namespace zfm
