#pragma once

#include "autoupdate/text_file.h"

#include <QFutureWatcher>
#include <QObject>
#include <QTimer>

#include <functional>

namespace zfm {

// Reads the playout program's files on a thread of its own, so that a file on
// a share that stops answering never holds up the window and its timers. One
// read at a time, each with a time limit: a read that has not answered in time
// is given up for its caller, and while it still hangs no other read starts.
class FileReader : public QObject {
    Q_OBJECT
public:
    using ReadFunction = std::function<TextFile(const QString &path, qsizetype maxBytes)>;
    using Done = std::function<void(const TextFile &)>;
    static constexpr int kTimeLimitMs = 2000;

    // `read` is readTextFile() but in tests.
    FileReader(ReadFunction read, int timeLimitMs, QObject *parent = nullptr);
    ~FileReader() override;

    // Reads at most `maxBytes` of the file and calls `done` once, later, on
    // this object's thread: with what was read, or with TimedOut when the read
    // has not answered within the limit or an earlier one still has not.
    // Nothing else may be asked while a call to `done` is to come.
    void read(const QString &path, qsizetype maxBytes, Done done);
    bool isReading() const { return bool(done_); }
    int timeLimitMs() const { return timeLimitMs_; }
    // An earlier read has not answered yet (it may never).
    bool isHung() const { return running_ && !done_; }

private:
    void finish(const TextFile &file);

    ReadFunction read_;
    int timeLimitMs_;
    QFutureWatcher<TextFile> watcher_;
    QTimer deadline_;
    Done done_;
    // The thread is reading (the read may have been given up).
    bool running_ = false;
    // `done_` is for what the thread is reading, not for a read given up at once.
    bool waitsForThread_ = false;
};

} // namespace zfm
