#pragma once

#include "log/log_store.h"

#include <QAbstractTableModel>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace zfm {

class LogReader;
class TimeRangeBar;

// The events as the table shows them, newest first.
class LogEventsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { TimeColumn, KindColumn, TextColumn, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void reset(std::vector<StoredEvent> rows);
    // Newer rows on top; the oldest go beyond `keep` rows.
    void prepend(const std::vector<StoredEvent> &rows, int keep);
    const StoredEvent &at(int row) const { return rows_[static_cast<size_t>(row)]; }
    qint64 newestId() const { return rows_.empty() ? 0 : rows_.front().id; }

    // How a stored time is shown: local, to the second.
    static QString shownTime(const QString &stored);

private:
    std::vector<StoredEvent> rows_;
};

// "Events": the log newest first, narrowed by kind, text and period, kept
// current while the window is open, and exported as CSV.
class LogEventsTab : public QWidget {
    Q_OBJECT
public:
    // The table shows at most this many; the count says how many match.
    static constexpr int kShownRows = 5000;

    LogEventsTab(LogReader &reader, std::function<QDateTime()> now, QWidget *parent = nullptr);

    // New events reached the file.
    void eventsWritten();
    // Reads the events again with the filter as it is now.
    void reload();
    // "Export CSV...": asks for a file, then writes it.
    void exportCsv();
    void exportTo(const QString &fileName);

    EventFilter filter() const;
    LogEventsModel &model() { return model_; }
    QString summary() const;

signals:
    void exportFinished(qint64 rows, const QString &error);

private:
    void onEventsRead(int request, const std::vector<StoredEvent> &rows, qint64 matching);
    void onExported(int request, qint64 rows, const QString &error);
    void showCount();

    LogReader &reader_;
    std::function<QDateTime()> now_;
    LogEventsModel model_;
    QComboBox *kinds_ = nullptr;
    QLineEdit *search_ = nullptr;
    TimeRangeBar *range_ = nullptr;
    QPushButton *export_ = nullptr;
    QTableView *table_ = nullptr;
    QLabel *summary_ = nullptr;
    QTimer searchDelay_;

    int pending_ = 0; // the read under way, 0 when none
    bool pendingIsFull_ = false;
    bool stale_ = false; // something changed while a read was under way
    bool newRows_ = false; // events were written while a read was under way
    int exportRequest_ = 0;
    QString exportFile_;
    qint64 matching_ = 0;
};

} // namespace zfm
