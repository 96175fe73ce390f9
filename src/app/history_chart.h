#pragma once

#include "log/log_store.h"

#include <QChartView>

#include <vector>

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace zfm {

// One chart of the transmitter history: one or two measures against time,
// each drawn as the band between its least and greatest value per pixel
// column, broken where no readings came. A second measure with another unit
// gets an axis of its own on the right. Alarm moments are marked on the time
// axis; the pointer shows the values under it.
class HistoryChart : public QChartView {
    Q_OBJECT
public:
    HistoryChart(const QString &title, std::vector<Measure> measures, QWidget *parent = nullptr);

    void show(const History &history);
    // The width the plot has for the history, in pixels: one column each.
    int plotWidth() const;
    // The text the pointer would show at this time (tests and tool tips).
    QString valuesAt(qint64 unixTime) const;
    // Pieces of line with points in them.
    int seriesCount() const;
    int pointCount() const;

signals:
    void painted();

protected:
    void drawForeground(QPainter *painter, const QRectF &rect) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    const HistoryColumn *columnNear(qint64 unixTime, qint64 within) const;
    const AlarmMark *alarmNear(double x) const;

    std::vector<Measure> measures_;
    QDateTimeAxis *time_ = nullptr;
    std::vector<QValueAxis *> values_;
    // Per measure (index into kMeasures), its pieces of line.
    std::array<std::vector<QLineSeries *>, kMeasures.size()> series_;
    History history_;
    double hoverX_ = -1;
};

} // namespace zfm
