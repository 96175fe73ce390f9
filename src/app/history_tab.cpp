#include "app/history_tab.h"

#include "app/history_chart.h"
#include "app/time_range_bar.h"
#include "log/log_reader.h"

#include <QGraphicsLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace zfm {

namespace {

// A range that follows the clock is read again at most this often, and never
// more often than one pixel column's worth of time.
constexpr qint64 kMinimumRefreshMs = 2000;

} // namespace

HistoryTab::HistoryTab(LogReader &reader, std::function<QDateTime()> now, QWidget *parent)
    : QWidget(parent), reader_(reader), now_(std::move(now))
{
    auto *outer = new QVBoxLayout(this);
    auto *bar = new QHBoxLayout;
    outer->addLayout(bar);
    range_ = new TimeRangeBar(false, this);
    range_->setPeriod(TimeRangeBar::Period::LastDay);
    bar->addWidget(range_);
    bar->addStretch(1);

    charts_ = {
        new HistoryChart(QStringLiteral("Power"), {Measure::ForwardPower, Measure::ReflectedPower}, this),
        new HistoryChart(
            QStringLiteral("Temperatures"), {Measure::ExciterTemperature, Measure::AmplifierTemperature}, this),
        new HistoryChart(QStringLiteral("Amplifier"), {Measure::AmplifierCurrent, Measure::AmplifierVoltage}, this),
    };
    const char *names[] = {"chartPower", "chartTemperatures", "chartAmplifier"};
    for (size_t i = 0; i < charts_.size(); ++i) {
        charts_[i]->setObjectName(QLatin1String(names[i]));
        outer->addWidget(charts_[i], 1);
    }
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("lblHistorySummary"));
    outer->addWidget(summary_);

    resizeDelay_.setSingleShot(true);
    resizeDelay_.setInterval(200);
    connect(&resizeDelay_, &QTimer::timeout, this, &HistoryTab::reload);
    connect(range_, &TimeRangeBar::changed, this, &HistoryTab::reload);
    connect(&reader_, &LogReader::historyRead, this, &HistoryTab::onHistoryRead);
    connect(&reader_, &LogReader::failed, this, [this](const QString &error) {
        pending_ = 0;
        summary_->setText(error);
    });
}

int HistoryTab::columns() const
{
    int w = 0;
    for (const HistoryChart *c : charts_)
        w = std::max(w, c->plotWidth());
    return std::max(1, w);
}

void HistoryTab::reload()
{
    // Read when shown, at the width the charts then have.
    if (!isVisible()) {
        unread_ = true;
        return;
    }
    unread_ = false;
    if (pending_) {
        stale_ = true;
        return;
    }
    stale_ = false;
    HistoryRequest r;
    std::tie(r.from, r.to) = range_->range(now_());
    r.columns = columns();
    sinceRead_.start();
    pending_ = reader_.readHistory(r);
}

void HistoryTab::samplesWritten()
{
    if (!read_ || !range_->follows() || !isVisible())
        return;
    const qint64 span = history_.request.from.secsTo(history_.request.to);
    const qint64 perColumnMs = span * 1000 / std::max(1, history_.request.columns);
    if (sinceRead_.isValid() && sinceRead_.elapsed() < std::max(kMinimumRefreshMs, perColumnMs))
        return;
    reload();
}

void HistoryTab::onHistoryRead(int request, const History &history)
{
    if (request != pending_)
        return;
    pending_ = 0;
    read_ = true;
    history_ = history;
    for (HistoryChart *c : charts_)
        c->show(history);
    alignPlots();
    const QLocale locale;
    const auto raised
        = std::count_if(history.alarms.begin(), history.alarms.end(), [](const AlarmMark &a) { return a.raised; });
    QString text = history.rowsInRange == 1 ? QStringLiteral("1 reading")
                                            : QStringLiteral("%1 readings").arg(locale.toString(history.rowsInRange));
    text += raised == 1 ? QStringLiteral(", 1 alarm raised") : QStringLiteral(", %1 alarms raised").arg(raised);
    text += QStringLiteral(" in this period. Point at a chart to see its values.");
    summary_->setText(text);
    emit shown();
    if (stale_)
        reload();
}

void HistoryTab::alignPlots()
{
    // Only the value axes' labels move the plots' edges.
    QString labels;
    for (HistoryChart *c : charts_) {
        for (QAbstractAxis *a : c->chart()->axes(Qt::Vertical)) {
            const auto *v = static_cast<QValueAxis *>(a);
            labels += QStringLiteral("%1 %2 %3;").arg(v->min()).arg(v->max()).arg(v->labelFormat());
        }
    }
    labels += QString::number(width());
    if (labels == alignedFor_)
        return;
    alignedFor_ = labels;

    // The time axes line up when every plot spans the same horizontal stretch.
    qreal left = 0;
    qreal right = 1e9;
    for (HistoryChart *c : charts_) {
        c->chart()->setPlotArea(QRectF());
        c->chart()->layout()->activate();
        const QRectF p = c->chart()->plotArea();
        left = std::max(left, p.left());
        right = std::min(right, p.right());
    }
    if (right <= left)
        return;
    for (HistoryChart *c : charts_) {
        const QRectF p = c->chart()->plotArea();
        c->chart()->setPlotArea(QRectF(left, p.top(), right - left, p.height()));
        c->chart()->layout()->invalidate();
        c->chart()->layout()->activate();
    }
}

QString HistoryTab::summary() const { return summary_->text(); }

void HistoryTab::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (read_)
        resizeDelay_.start();
}

void HistoryTab::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Once the layout has given the charts their size.
    if (!read_ || unread_ || range_->follows())
        QTimer::singleShot(0, this, &HistoryTab::reload);
}

} // namespace zfm
