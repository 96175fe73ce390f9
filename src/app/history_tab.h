#pragma once

#include "log/log_store.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

class QLabel;

namespace zfm {

class HistoryChart;
class LogReader;
class TimeRangeBar;

// "Transmitter history": power, temperatures and the amplifier's current and
// voltage over the last hour, day, week or a chosen range, read a pixel
// column at a time, and kept current while the range follows the clock.
class HistoryTab : public QWidget {
    Q_OBJECT
public:
    HistoryTab(LogReader &reader, std::function<QDateTime()> now, QWidget *parent = nullptr);

    // New readings reached the file.
    void samplesWritten();
    void reload();

    TimeRangeBar &range() { return *range_; }
    const std::vector<HistoryChart *> &charts() const { return charts_; }
    const History &history() const { return history_; }
    QString summary() const;

signals:
    // A history was read and handed to the charts.
    void shown();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void onHistoryRead(int request, const History &history);
    void alignPlots();
    int columns() const;

    LogReader &reader_;
    std::function<QDateTime()> now_;
    TimeRangeBar *range_ = nullptr;
    std::vector<HistoryChart *> charts_;
    QLabel *summary_ = nullptr;
    QTimer resizeDelay_;
    QElapsedTimer sinceRead_;
    History history_;
    int pending_ = 0;
    bool stale_ = false;
    bool read_ = false;
    bool unread_ = false; // asked for while hidden
    QString alignedFor_; // the value axes the plots were last lined up for
};

} // namespace zfm
