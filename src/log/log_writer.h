#pragma once

#include "log/log_event.h"
#include "log/log_store.h"
#include "log/telemetry_sample.h"

#include <QObject>
#include <QThread>
#include <QTimer>

#include <functional>
#include <vector>

namespace zfm {

class LogWriterWorker;

// Writes the station log without ever holding up the caller's thread: rows
// are collected here and handed, a batch at a time, to a thread of its own
// that owns the database connection and writes each batch in one
// transaction. A batch that cannot be written is kept (up to a bound) and
// tried again with the next one; the first failure is reported once, and
// again only after a write has worked in between.
class LogWriter : public QObject {
    Q_OBJECT
public:
    struct Options {
        // How long rows gather before they go out as one transaction.
        int batchMs = 250;
        LogStore::Options store;
        // Rows kept while the store cannot be written; the oldest go first.
        int backlogLimit = 100000;
        // After a failed write the file is tried again at most this often.
        int retryMs = 5000;
    };

    // Opens the store and removes what has outlived its bound, measured from `now`.
    LogWriter(const QString &path, const QDateTime &now, QObject *parent = nullptr)
        : LogWriter(path, now, Options{}, parent)
    {
    }
    LogWriter(const QString &path, const QDateTime &now, Options options, QObject *parent = nullptr);
    // Writes what is still pending and waits for it.
    ~LogWriter() override;

    QString path() const { return path_; }

    void add(const LogEvent &event);
    void add(const TelemetrySample &sample);
    // Hands what has gathered to the writing thread now.
    void flush();
    // Flushes and waits until the writing thread has dealt with it (exit, tests).
    void sync();

    // What the worker tells of each call, passed back to this thread.
    using ResultReport
        = std::function<void(bool ok, const QString &error, qint64 lastEventId, int events, int samples)>;

signals:
    // A batch reached the file; `lastEventId` is the newest event's id (0
    // when the batch held none).
    void written(qint64 lastEventId, int events, int samples);
    // The store could not be opened or written (once, see above).
    void failed(const QString &message);

private:
    ResultReport resultReport();
    void onWorkerResult(bool ok, const QString &error, qint64 lastEventId, int events, int samples);

    QString path_;
    Options options_;
    QThread thread_;
    LogWriterWorker *worker_ = nullptr;
    QTimer batchTimer_;
    std::vector<LogEvent> events_;
    std::vector<TelemetrySample> samples_;
    bool failing_ = false;
};

} // namespace zfm
