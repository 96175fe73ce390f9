#include "autoupdate/file_reader.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace zfm {

namespace {

// Never destroyed: destroying a pool waits for its threads, and a read hung on
// a dead share must not keep the program from ending.
QThreadPool &readerThreads()
{
    static auto *pool = [] {
        auto *p = new QThreadPool;
        p->setObjectName(QStringLiteral("file readers"));
        return p;
    }();
    return *pool;
}

} // namespace

FileReader::FileReader(ReadFunction read, int timeLimitMs, QObject *parent)
    : QObject(parent), read_(std::move(read)), timeLimitMs_(timeLimitMs)
{
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { finish(TextFile{TextFile::Status::TimedOut, {}}); });
    connect(&watcher_, &QFutureWatcher<TextFile>::finished, this, [this] {
        running_ = false;
        // An answer after the limit is for nobody: its caller has moved on.
        if (done_ && waitsForThread_)
            finish(watcher_.result());
    });
}

FileReader::~FileReader() = default;

void FileReader::read(const QString &path, qsizetype maxBytes, Done done)
{
    Q_ASSERT(!done_);
    done_ = std::move(done);
    waitsForThread_ = !running_;
    if (running_) {
        // Still waiting for an earlier read: this one is given up at once.
        QMetaObject::invokeMethod(
            this,
            [this] {
                finish(TextFile{TextFile::Status::TimedOut, {}});
            },
            Qt::QueuedConnection);
        return;
    }
    running_ = true;
    deadline_.start(timeLimitMs_);
    watcher_.setFuture(QtConcurrent::run(&readerThreads(), read_, path, maxBytes));
}

void FileReader::finish(const TextFile &file)
{
    deadline_.stop();
    if (!done_)
        return;
    const Done done = std::exchange(done_, {});
    done(file);
}

} // namespace zfm
