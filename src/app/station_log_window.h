#pragma once

#include <QWidget>

#include <memory>

class QTabWidget;

namespace zfm {

class HistoryTab;
class LogEventsTab;
class LogReader;
class StationLog;

// "Station log": the events newest first and the transmitter history, in two
// tabs, kept current while the window is open. It reads the log on a thread
// of its own and never changes it.
class StationLogWindow : public QWidget {
    Q_OBJECT
public:
    StationLogWindow(StationLog &log, std::function<QDateTime()> now, QWidget *parent = nullptr);
    ~StationLogWindow() override;

    LogEventsTab &events() { return *events_; }
    HistoryTab &history() { return *history_; }
    QTabWidget *tabs() const { return tabs_; }

private:
    std::unique_ptr<LogReader> reader_;
    QTabWidget *tabs_ = nullptr;
    LogEventsTab *events_ = nullptr;
    HistoryTab *history_ = nullptr;
};

} // namespace zfm
