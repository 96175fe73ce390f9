#include "app/history_chart.h"

#include <QDateTimeAxis>
#include <QGraphicsLayout>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QMouseEvent>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace zfm {

namespace {

// Chosen here: a colour per measure, in the order of kMeasures.
constexpr QRgb kColours[] = {0x1f5fa8, 0xe07b00, 0x2e8b3e, 0xc0392b, 0x7d3c98, 0x138d90};
static_assert(std::size(kColours) == kMeasures.size());

// Readings further apart than this (and than three columns) leave a gap.
constexpr qint64 kGapSeconds = 120;
// So many pieces of one line at most; beyond that gaps are bridged.
constexpr int kMaxSegments = 200;
// How near the pointer must be to a column or an alarm mark, in pixels.
constexpr double kHoverPixels = 6;

QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

const MeasureInfo &info(Measure m) { return kMeasures[static_cast<size_t>(m)]; }

QString number(double v) { return QLocale().toString(v, 'f', std::abs(v) >= 100 ? 0 : 1); }

// Date and time labels that fit the period shown.
QString timeFormat(qint64 spanSeconds)
{
    if (spanSeconds <= 26 * 3600)
        return QStringLiteral("HH:mm");
    if (spanSeconds <= 8 * 86400)
        return QStringLiteral("ddd HH:mm");
    return QStringLiteral("dd.MM.");
}

// The value axis's range widened to round numbers for its five ticks, and the step between them.
std::pair<std::pair<double, double>, double> niceRange(double lo, double hi)
{
    constexpr int kSteps = 4;
    const double rough = std::max(hi - lo, 1e-6) / kSteps;
    const double magnitude = std::pow(10, std::floor(std::log10(rough)));
    double step = magnitude * 10;
    for (const double f : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (f * magnitude >= rough) {
            step = f * magnitude;
            break;
        }
    }
    double low = std::floor(lo / step) * step;
    double high = low + kSteps * step;
    while (high < hi) {
        // Rounding the bottom down can leave the top short: a step up the scale.
        step = step * 2;
        low = std::floor(lo / step) * step;
        high = low + kSteps * step;
    }
    return {{low, high}, step};
}

} // namespace

HistoryChart::HistoryChart(const QString &title, std::vector<Measure> measures, QWidget *parent)
    // Given its chart from the start: a chart set later would leave the default one behind.
    : QChartView(new QChart, parent), measures_(std::move(measures))
{
    QChart *chart = this->chart();
    // The legend names what is drawn; the title is for screen readers.
    setAccessibleName(title);
    chart->setMargins(QMargins(4, 2, 4, 2));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setBackgroundRoundness(0);
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->setAnimationOptions(QChart::NoAnimation);
    setRenderHint(QPainter::Antialiasing);
    setMouseTracking(true);
    setMinimumHeight(170);

    time_ = new QDateTimeAxis(chart);
    time_->setTickCount(7);
    chart->addAxis(time_, Qt::AlignBottom);
    // Measures with the same unit share an axis; a second unit goes on the right.
    for (Measure m : measures_) {
        const QString unit = text(info(m).unit);
        const bool known
            = std::any_of(values_.begin(), values_.end(), [&](QValueAxis *a) { return a->titleText() == unit; });
        if (known)
            continue;
        auto *axis = new QValueAxis(chart);
        axis->setTitleText(unit);
        axis->setLabelFormat(QStringLiteral("%.1f"));
        axis->setTickCount(5);
        axis->setRange(0, 1);
        chart->addAxis(axis, values_.empty() ? Qt::AlignLeft : Qt::AlignRight);
        values_.push_back(axis);
    }
    show(History{});
}

int HistoryChart::plotWidth() const
{
    const int w = static_cast<int>(chart()->plotArea().width());
    return w > 50 ? w : std::max(100, width() - 120);
}

int HistoryChart::seriesCount() const
{
    int n = 0;
    for (QAbstractSeries *s : chart()->series())
        n += static_cast<QLineSeries *>(s)->count() > 0 ? 1 : 0;
    return n;
}

int HistoryChart::pointCount() const
{
    int n = 0;
    for (QAbstractSeries *s : chart()->series())
        n += static_cast<int>(static_cast<QLineSeries *>(s)->count());
    return n;
}

void HistoryChart::show(const History &history)
{
    history_ = history;
    QChart *c = chart();

    QDateTime from = history.request.from;
    QDateTime to = history.request.to;
    if (!from.isValid() || !to.isValid() || to <= from) {
        to = QDateTime::currentDateTime();
        from = to.addSecs(-3600);
    }
    const qint64 span = from.secsTo(to);
    // Each change lays the chart out again: only what differs is set.
    if (time_->format() != timeFormat(span))
        time_->setFormat(timeFormat(span));
    time_->setRange(from, to);
    const qint64 columnSeconds = span / std::max(1, history.request.columns);
    const qint64 gap = std::max(kGapSeconds, 3 * columnSeconds);

    std::vector<double> low(values_.size(), std::numeric_limits<double>::max());
    std::vector<double> high(values_.size(), std::numeric_limits<double>::lowest());
    for (Measure m : measures_) {
        const size_t mi = static_cast<size_t>(m);
        const QString unit = text(info(m).unit);
        const auto axisAt
            = std::find_if(values_.begin(), values_.end(), [&](QValueAxis *a) { return a->titleText() == unit; });
        const size_t ai = static_cast<size_t>(axisAt - values_.begin());

        // Pieces between gaps.
        std::vector<std::vector<QPointF>> pieces(1);
        const HistoryColumn *previous = nullptr;
        for (const HistoryColumn &col : history.columns) {
            const ValueRange &v = col.values[mi];
            if (!v.valid)
                continue;
            if (previous && col.firstUnix - previous->lastUnix > gap && pieces.size() < kMaxSegments)
                pieces.emplace_back();
            const double x = (static_cast<double>(col.firstUnix) + static_cast<double>(col.lastUnix)) / 2 * 1000;
            pieces.back().emplace_back(x, v.min);
            if (v.max != v.min)
                pieces.back().emplace_back(x, v.max);
            low[ai] = std::min(low[ai], v.min);
            high[ai] = std::max(high[ai], v.max);
            previous = &col;
        }
        // The series are kept from one reading to the next: replacing their
        // points is much cheaper for the chart than new series.
        std::vector<QLineSeries *> &lines = series_[mi];
        while (lines.size() < pieces.size()) {
            auto *series = new QLineSeries(c);
            series->setName(text(info(m).caption));
            QPen pen(QColor::fromRgb(kColours[mi]));
            pen.setWidthF(1.5);
            series->setPen(pen);
            series->setMarkerSize(5);
            c->addSeries(series);
            series->attachAxis(time_);
            series->attachAxis(*axisAt);
            // One legend entry per measure.
            if (!lines.empty()) {
                for (QLegendMarker *marker : c->legend()->markers(series))
                    marker->setVisible(false);
            }
            lines.push_back(series);
        }
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::vector<QPointF> empty;
            const std::vector<QPointF> &piece = i < pieces.size() ? pieces[i] : empty;
            lines[i]->replace(QList<QPointF>(piece.begin(), piece.end()));
            // A piece of a column or two would be too short to see as a line.
            lines[i]->setPointsVisible(!piece.empty() && piece.size() <= 4);
        }
    }

    for (size_t ai = 0; ai < values_.size(); ++ai) {
        QValueAxis *axis = values_[ai];
        double lo = low[ai];
        double hi = high[ai];
        if (lo > hi) {
            lo = 0;
            hi = 1;
        }
        // Power and current read best from zero.
        const QString unit = axis->titleText();
        if ((unit == QLatin1String("W") || unit == QLatin1String("A")) && lo > 0)
            lo = 0;
        // Small wobbles of a steady value (a supply at 27.5 V) stay small.
        const double least = std::max(1.0, 0.2 * std::max(std::abs(lo), std::abs(hi)));
        if (hi - lo < least) {
            const double middle = (hi + lo) / 2;
            const bool fromZero = lo == 0;
            lo = fromZero ? 0 : middle - least / 2;
            hi = fromZero ? std::max(hi, least) : middle + least / 2;
        }
        const double pad = (hi - lo) * 0.08;
        const auto [nice, step] = niceRange(lo == 0 ? 0 : lo - pad, hi + pad);
        if (axis->min() != nice.first || axis->max() != nice.second)
            axis->setRange(nice.first, nice.second);
        const QString format = step >= 1 ? QStringLiteral("%.0f") : QStringLiteral("%.1f");
        if (axis->labelFormat() != format)
            axis->setLabelFormat(format);
    }
    viewport()->update();
}

const HistoryColumn *HistoryChart::columnNear(qint64 unixTime, qint64 within) const
{
    const HistoryColumn *best = nullptr;
    qint64 bestDistance = within + 1;
    const auto &cols = history_.columns;
    // The columns are in time order: look around where the time would go.
    auto it = std::lower_bound(
        cols.begin(), cols.end(), unixTime, [](const HistoryColumn &c, qint64 t) { return c.lastUnix < t; });
    for (auto at : {it - 1, it}) {
        if (at < cols.begin() || at >= cols.end())
            continue;
        const qint64 d = unixTime < at->firstUnix ? at->firstUnix - unixTime
            : unixTime > at->lastUnix             ? unixTime - at->lastUnix
                                                  : 0;
        if (d < bestDistance) {
            bestDistance = d;
            best = &*at;
        }
    }
    return best;
}

QString HistoryChart::valuesAt(qint64 unixTime) const
{
    const qint64 span = std::max<qint64>(1, history_.request.from.secsTo(history_.request.to));
    const qint64 perPixel = span / std::max(1, plotWidth()) + 1;
    const HistoryColumn *col = columnNear(unixTime, static_cast<qint64>(perPixel * kHoverPixels));
    if (!col)
        return {};
    const QDateTime t = QDateTime::fromSecsSinceEpoch(col->firstUnix);
    QStringList lines;
    lines << (col->lastUnix - col->firstUnix < 1
            ? t.toString(QStringLiteral("ddd yyyy-MM-dd HH:mm:ss"))
            : QStringLiteral("%1 to %2")
                  .arg(t.toString(QStringLiteral("ddd yyyy-MM-dd HH:mm:ss")),
                      QDateTime::fromSecsSinceEpoch(col->lastUnix).toString(QStringLiteral("HH:mm:ss"))));
    for (Measure m : measures_) {
        const ValueRange &v = col->values[static_cast<size_t>(m)];
        const QString unit = text(info(m).unit);
        QString value = QStringLiteral("no reading");
        if (v.valid) {
            value = v.min == v.max ? QStringLiteral("%1 %2").arg(number(v.min), unit)
                                   : QStringLiteral("%1 to %2 %3").arg(number(v.min), number(v.max), unit);
        }
        lines << QStringLiteral("%1: %2").arg(text(info(m).caption), value);
    }
    return lines.join(QLatin1Char('\n'));
}

const AlarmMark *HistoryChart::alarmNear(double x) const
{
    const QRectF plot = chart()->plotArea();
    const double from = static_cast<double>(history_.request.from.toSecsSinceEpoch());
    const double to = static_cast<double>(history_.request.to.toSecsSinceEpoch());
    if (to <= from)
        return nullptr;
    const AlarmMark *best = nullptr;
    double bestDistance = kHoverPixels;
    for (const AlarmMark &a : history_.alarms) {
        const double ax = plot.left() + (static_cast<double>(a.unixTime) - from) / (to - from) * plot.width();
        if (std::abs(ax - x) <= bestDistance) {
            bestDistance = std::abs(ax - x);
            best = &a;
        }
    }
    return best;
}

void HistoryChart::drawForeground(QPainter *painter, const QRectF &rect)
{
    QChartView::drawForeground(painter, rect);
    const QRectF plot = chart()->mapRectToScene(chart()->plotArea());
    const double from = static_cast<double>(history_.request.from.toSecsSinceEpoch());
    const double to = static_cast<double>(history_.request.to.toSecsSinceEpoch());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (to > from) {
        // Cleared first, so a raised mark that shares its pixel stays red.
        for (const bool raised : {false, true}) {
            for (const AlarmMark &a : history_.alarms) {
                if (a.raised != raised)
                    continue;
                const double x = plot.left() + (static_cast<double>(a.unixTime) - from) / (to - from) * plot.width();
                if (x < plot.left() || x > plot.right())
                    continue;
                const QColor colour = raised ? QColor(200, 30, 30) : QColor(40, 150, 60);
                QColor faint = colour;
                faint.setAlpha(raised ? 70 : 45);
                painter->setPen(QPen(faint, 1));
                painter->drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
                // A small triangle on the time axis, pointing up at the moment,
                // below the plot so it never hides a reading.
                const double b = plot.bottom();
                const QPointF triangle[] = {{x, b}, {x - 4.5, b + 7}, {x + 4.5, b + 7}};
                painter->setPen(Qt::NoPen);
                painter->setBrush(colour);
                painter->drawPolygon(triangle, 3);
            }
        }
    }
    if (hoverX_ >= plot.left() && hoverX_ <= plot.right()) {
        painter->setPen(QPen(QColor(90, 90, 90, 140), 1, Qt::DashLine));
        painter->drawLine(QPointF(hoverX_, plot.top()), QPointF(hoverX_, plot.bottom()));
    }
    painter->restore();
}

void HistoryChart::mouseMoveEvent(QMouseEvent *event)
{
    QChartView::mouseMoveEvent(event);
    const QPointF scenePos = mapToScene(event->position().toPoint());
    const QPointF chartPos = chart()->mapFromScene(scenePos);
    const QRectF plot = chart()->plotArea();
    hoverX_ = -1;
    if (plot.contains(chartPos)) {
        hoverX_ = scenePos.x();
        const double from = static_cast<double>(history_.request.from.toSecsSinceEpoch());
        const double to = static_cast<double>(history_.request.to.toSecsSinceEpoch());
        const qint64 t = static_cast<qint64>(from + (chartPos.x() - plot.left()) / plot.width() * (to - from));
        QString tip = valuesAt(t);
        if (const AlarmMark *a = alarmNear(chartPos.x())) {
            tip += (tip.isEmpty() ? QString() : QStringLiteral("\n"))
                + QStringLiteral("%1  %2").arg(
                    QDateTime::fromSecsSinceEpoch(a->unixTime).toString(QStringLiteral("HH:mm:ss")), a->text);
        }
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(event->globalPosition().toPoint(), tip, this);
    } else {
        QToolTip::hideText();
    }
    viewport()->update();
}

bool HistoryChart::viewportEvent(QEvent *event)
{
    // The scene would answer the pointer's rest with its own (empty) tool tip
    // and so hide the values shown on moving.
    if (event->type() == QEvent::ToolTip)
        return true;
    return QChartView::viewportEvent(event);
}

void HistoryChart::leaveEvent(QEvent *event)
{
    hoverX_ = -1;
    viewport()->update();
    QChartView::leaveEvent(event);
}

void HistoryChart::paintEvent(QPaintEvent *event)
{
    QChartView::paintEvent(event);
    emit painted();
}

} // namespace zfm
