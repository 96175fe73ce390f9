#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <variant>
#include <vector>

namespace zfm {

// A device operation as data: the exact writes, pauses and status changes in
// order. Builders are pure; the link runner is the one place that knows time
// and the port.

class Clock;

// One component of the PC clock, read when it is written and sent as offsetByte().
enum class ClockField { Hour, Minute, Second, Year, Month, Day };

// The value a clock field carries before its offset: the year counts from 2004.
int clockFieldValue(ClockField field, const QDateTime &now);

namespace step {
struct Write {
    QByteArray bytes;
    bool operator==(const Write &) const = default;
};
struct WriteClock {
    ClockField field;
    bool operator==(const WriteClock &) const = default;
};
struct Pause {
    int ms;
    bool operator==(const Pause &) const = default;
};
struct Status {
    QString text;
    double progress;
    bool operator==(const Status &) const = default;
};
struct Ready {
    bool operator==(const Ready &) const = default;
};
// Selects a port and opens it when it is closed: `comNumber`, or "COMSelected"
// when 0. `line` ("9600,N,8,1") is applied first, or nothing when empty; an
// open port keeps its number, and its line settings unless `evenIfOpen`.
// Builders resolve the line settings when they build, so a script keeps the
// speed it was built with to its last byte.
struct Open {
    QString line;
    bool evenIfOpen = false;
    int comNumber = 0;
    bool operator==(const Open &) const = default;
};
// Applies line settings to the port now, open or not.
struct Line {
    QString line;
    bool operator==(const Line &) const = default;
};
struct Close {
    bool operator==(const Close &) const = default;
};
// Holds the link until the operator has acknowledged `text`.
struct Confirm {
    QString text;
    bool operator==(const Confirm &) const = default;
};
} // namespace step

using Step = std::variant<step::Write, step::WriteClock, step::Pause, step::Status, step::Ready, step::Open, step::Line,
    step::Close, step::Confirm>;

inline constexpr int kWritePauseMs = 10;
inline constexpr int kFramePauseMs = 50;

class WireScript {
public:
    WireScript &write(QByteArray bytes);
    WireScript &writeClock(ClockField field);
    WireScript &pause(int ms);
    WireScript &status(const QString &text, double progress);
    WireScript &ready();
    // Opens "COMSelected" with its line settings as they are.
    WireScript &open();
    // Opens "COMSelected" with these line settings (none when empty).
    WireScript &openWithLine(const QString &line, bool evenIfOpen = false);
    WireScript &open(const step::Open &how);
    WireScript &lineSettings(const QString &line);
    WireScript &close();
    WireScript &confirm(const QString &text);
    WireScript &append(const WireScript &other);
    WireScript &append(const Step &step);

    // One command frame: each lead-in byte, the name and the separator are separate
    // writes followed by 10 ms; then the step's status (when given); the value
    // in one write and 10 ms; the terminator and the 50 ms frame pause.
    WireScript &frame(int leadIn, const QByteArray &name, const QByteArray &value,
        const std::optional<step::Status> &inside = std::nullopt);
    // The same frame with `extraMs` more pause after its terminator, before the
    // frame pause.
    WireScript &frameWithExtraPause(int leadIn, const QByteArray &name, const QByteArray &value,
        const std::optional<step::Status> &inside, int extraMs);
    // The frame's first part, up to and including the separator and its pause.
    WireScript &frameHead(int leadIn, const QByteArray &name);

    const std::vector<Step> &steps() const { return steps_; }
    bool empty() const { return steps_.empty(); }

    // What the script puts on the wire (clock fields as a placeholder byte 0xFF).
    QByteArray bytes() const;
    // The same with each clock field read from `clock` when it comes, as the runner does.
    QByteArray bytes(const Clock &clock) const;
    // The sum of its pauses: the shortest time the script can take.
    int totalPauseMs() const;
    // Every status step in order, Ready as ("Ready", 0).
    std::vector<step::Status> statuses() const;

private:
    std::vector<Step> steps_;
};

} // namespace zfm
