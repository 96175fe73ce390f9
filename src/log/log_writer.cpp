#include "log/log_writer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSemaphore>

#include <algorithm>
#include <memory>

namespace zfm {

// Lives in the writing thread: the store and what could not be written yet.
class LogWriterWorker : public QObject {
public:
    LogWriterWorker(const QString &path, const LogWriter::Options &options) : options_(options)
    {
        store_ = std::make_unique<LogStore>(path, options.store);
    }

    using Report = LogWriter::ResultReport;

    void start(const QDateTime &now, const Report &report)
    {
        if (store_->open() && store_->prune(now)) {
            report(true, {}, 0, 0, 0);
            return;
        }
        report(false, store_->lastError(), 0, 0, 0);
    }

    void write(std::vector<LogEvent> events, std::vector<TelemetrySample> samples, const Report &report)
    {
        // What failed before goes first, so the file keeps the order things happened in.
        std::move(events.begin(), events.end(), std::back_inserter(pendingEvents_));
        std::move(samples.begin(), samples.end(), std::back_inserter(pendingSamples_));
        if (pendingEvents_.empty() && pendingSamples_.empty())
            return;
        // After a failure the file is tried again only now and then: a locked
        // file costs the busy time on every try, and exit must not wait for many.
        if (failedAt_.isValid() && failedAt_.elapsed() < options_.retryMs) {
            trimBacklog();
            report(false, store_->lastError(), 0, 0, 0);
            return;
        }
        qint64 lastId = 0;
        if (store_->open() && store_->append(pendingEvents_, pendingSamples_, &lastId)) {
            failedAt_.invalidate();
            const int e = static_cast<int>(pendingEvents_.size());
            const int s = static_cast<int>(pendingSamples_.size());
            pendingEvents_.clear();
            pendingSamples_.clear();
            report(true, {}, lastId, e, s);
            return;
        }
        failedAt_.start();
        trimBacklog();
        report(false, store_->lastError(), 0, 0, 0);
    }

    void close() { store_.reset(); }

private:
    void trimBacklog()
    {
        // The history gives way first: an event says more than one second of it.
        const size_t limit = static_cast<size_t>(std::max(0, options_.backlogLimit));
        const size_t total = pendingSamples_.size() + pendingEvents_.size();
        if (total <= limit)
            return;
        const size_t drop = total - limit;
        const size_t samples = std::min(pendingSamples_.size(), drop);
        pendingSamples_.erase(pendingSamples_.begin(), pendingSamples_.begin() + static_cast<ptrdiff_t>(samples));
        pendingEvents_.erase(pendingEvents_.begin(), pendingEvents_.begin() + static_cast<ptrdiff_t>(drop - samples));
    }

    LogWriter::Options options_;
    std::unique_ptr<LogStore> store_;
    std::vector<LogEvent> pendingEvents_;
    std::vector<TelemetrySample> pendingSamples_;
    QElapsedTimer failedAt_;
};

LogWriter::LogWriter(const QString &path, const QDateTime &now, Options options, QObject *parent)
    : QObject(parent), path_(path), options_(options)
{
    thread_.setObjectName(QStringLiteral("station log writer"));
    worker_ = new LogWriterWorker(path, options_);
    worker_->moveToThread(&thread_);
    thread_.start(QThread::LowPriority);

    batchTimer_.setSingleShot(true);
    batchTimer_.setInterval(options_.batchMs);
    connect(&batchTimer_, &QTimer::timeout, this, &LogWriter::flush);

    QMetaObject::invokeMethod(
        worker_, [worker = worker_, now, report = resultReport()] { worker->start(now, report); });
}

LogWriter::ResultReport LogWriter::resultReport()
{
    return [this](bool ok, const QString &error, qint64 id, int e, int s) {
        QMetaObject::invokeMethod(
            this, [=, this] { onWorkerResult(ok, error, id, e, s); }, Qt::QueuedConnection);
    };
}

LogWriter::~LogWriter()
{
    flush();
    // Queued behind the last batch: the connection closes in its own thread,
    // which then ends (quit() at once would drop what is still queued).
    QMetaObject::invokeMethod(worker_, [worker = worker_] {
        worker->close();
        QThread::currentThread()->quit();
    });
    thread_.wait();
    delete worker_;
}

void LogWriter::add(const LogEvent &event)
{
    events_.push_back(event);
    if (!batchTimer_.isActive())
        batchTimer_.start();
}

void LogWriter::add(const TelemetrySample &sample)
{
    samples_.push_back(sample);
    if (!batchTimer_.isActive())
        batchTimer_.start();
}

void LogWriter::flush()
{
    batchTimer_.stop();
    if (events_.empty() && samples_.empty())
        return;
    QMetaObject::invokeMethod(worker_,
        [worker = worker_, events = std::exchange(events_, {}), samples = std::exchange(samples_, {}),
            report = resultReport()]() mutable { worker->write(std::move(events), std::move(samples), report); });
}

void LogWriter::sync()
{
    flush();
    QSemaphore done;
    QMetaObject::invokeMethod(worker_, [&done] { done.release(); });
    done.acquire();
    // The results posted on the way are delivered before this returns.
    QCoreApplication::sendPostedEvents(this);
}

void LogWriter::onWorkerResult(bool ok, const QString &error, qint64 lastEventId, int events, int samples)
{
    if (ok) {
        failing_ = false;
        if (events || samples)
            emit written(lastEventId, events, samples);
        return;
    }
    if (failing_)
        return;
    failing_ = true;
    emit failed(error);
}

} // namespace zfm
