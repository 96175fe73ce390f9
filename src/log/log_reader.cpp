#include "log/log_reader.h"

#include <QSaveFile>

namespace zfm {

LogReader::LogReader(const QString &path, QObject *parent) : QObject(parent)
{
    thread_.setObjectName(QStringLiteral("station log reader"));
    context_ = new QObject;
    context_->moveToThread(&thread_);
    thread_.start();
    QMetaObject::invokeMethod(context_, [this, path] { store_ = new LogStore(path); });
}

LogReader::~LogReader()
{
    // The connection closes in its own thread, which then ends.
    QMetaObject::invokeMethod(context_, [this] {
        delete store_;
        store_ = nullptr;
        QThread::currentThread()->quit();
    });
    thread_.wait();
    delete context_;
}

template <typename Work>
int LogReader::post(Work work)
{
    const int request = ++next_;
    QMetaObject::invokeMethod(context_, [this, request, work = std::move(work)] {
        if (!store_->open()) {
            const QString error = store_->lastError();
            QMetaObject::invokeMethod(
                this, [this, error] { emit failed(error); }, Qt::QueuedConnection);
            return;
        }
        work(request);
    });
    return request;
}

int LogReader::readEvents(const EventFilter &filter)
{
    return post([this, filter](int request) {
        std::vector<StoredEvent> rows = store_->events(filter);
        // A live view's look for newer rows adds its rows to the count it has.
        const qint64 matching = filter.afterId > 0 ? -1 : store_->countEvents(filter);
        QMetaObject::invokeMethod(
            this, [this, request, rows = std::move(rows), matching] { emit eventsRead(request, rows, matching); },
            Qt::QueuedConnection);
    });
}

int LogReader::readHistory(const HistoryRequest &historyRequest)
{
    return post([this, historyRequest](int request) {
        History h = store_->history(historyRequest);
        QMetaObject::invokeMethod(
            this, [this, request, h = std::move(h)] { emit historyRead(request, h); }, Qt::QueuedConnection);
    });
}

int LogReader::exportEvents(const EventFilter &filter, const QString &fileName)
{
    return post([this, filter, fileName](int request) {
        QSaveFile file(fileName);
        qint64 rows = -1;
        QString error;
        if (!file.open(QIODevice::WriteOnly)) {
            error = file.errorString();
        } else {
            rows = store_->exportEvents(filter, file);
            if (rows < 0)
                error = store_->lastError().isEmpty() ? file.errorString() : store_->lastError();
            if (rows >= 0 && !file.commit()) {
                rows = -1;
                error = file.errorString();
            }
        }
        QMetaObject::invokeMethod(
            this, [this, request, rows, error] { emit exported(request, rows, error); }, Qt::QueuedConnection);
    });
}

} // namespace zfm
