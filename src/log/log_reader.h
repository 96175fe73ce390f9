#pragma once

#include "log/log_store.h"

#include <QObject>
#include <QThread>

#include <vector>

namespace zfm {

class LogStore;

// Reads the station log for the log window on a thread of its own, with a
// connection of its own, so a long read never holds up the window (and, the
// store being in WAL mode, never holds up the writer either). Requests are
// answered in the order they were made, each with its number.
class LogReader : public QObject {
    Q_OBJECT
public:
    explicit LogReader(const QString &path, QObject *parent = nullptr);
    ~LogReader() override;

    int readEvents(const EventFilter &filter);
    int readHistory(const HistoryRequest &request);
    // Every event the filter matches into `fileName` as CSV, replacing it
    // only once all is written.
    int exportEvents(const EventFilter &filter, const QString &fileName);

signals:
    // `matching`: how many events the filter matches, its limit aside; -1
    // for a look at the events after a given one.
    void eventsRead(int request, const std::vector<zfm::StoredEvent> &events, qint64 matching);
    void historyRead(int request, const zfm::History &history);
    // `error` is empty when the export worked.
    void exported(int request, qint64 rows, const QString &error);
    // The store could not be read: what went wrong, as a sentence.
    void failed(const QString &message);

private:
    template <typename Work>
    int post(Work work);

    QThread thread_;
    QObject *context_ = nullptr; // lives in thread_
    LogStore *store_ = nullptr; // used in thread_ only
    int next_ = 0;
};

} // namespace zfm
