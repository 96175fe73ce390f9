#pragma once

#include <QDateTime>

namespace zfm {

// Local wall-clock time, passed to everything that reads the time of day so
// that tests can set it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// A clock that stands still until told otherwise.
class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9))) : now_(start) { }
    QDateTime now() const override { return now_; }
    void set(const QDateTime &t) { now_ = t; }
    void advanceMs(qint64 ms) { now_ = now_.addMSecs(ms); }

private:
    QDateTime now_;
};

} // namespace zfm
