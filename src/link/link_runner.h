#pragma once

#include "link/link_failure.h"
#include "link/wire_script.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

namespace zfm {

class Clock;
class SerialLink;

// Runs one wire script at a time on the UI thread. Every pause is a minimum
// measured from the write before it; the event loop keeps running between
// steps, so the program stays responsive while the device is paced.
class LinkRunner : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Completed, Failed, Stopped };
    using Done = std::function<void(Outcome)>;

    LinkRunner(SerialLink &link, const Clock &clock, QObject *parent = nullptr);

    // Starts the script; false (nothing done) while another one runs.
    bool start(WireScript script, Done done = {});
    bool isBusy() const { return busy_; }
    // The operator acknowledged the confirmation the script asked for.
    void confirm();
    // Ends the script at its next frame boundary: the frame on the line is
    // finished (a confirmation inside it counts as given), the pauses after it
    // are kept, and the script ends before its next frame begins.
    void stop();
    // Whether a frame has begun on the line and not yet ended.
    bool insideFrame() const { return insideFrame_; }
    // Frames the current (or last) script has put on the line whole.
    int framesWritten() const { return framesWritten_; }

    SerialLink &link() { return link_; }

    // Told about every write: when it began and when it returned, in
    // nanoseconds on the runner's own steady clock (for pacing measurements).
    using WriteObserver = std::function<void(qint64 beganNs, qint64 returnedNs, const QByteArray &bytes)>;
    void setWriteObserver(WriteObserver observer) { writeObserver_ = std::move(observer); }

signals:
    void statusChanged(const QString &text, double progress);
    // Emitted while the runner still holds the link, so that no other sender
    // starts while the operator reads about the failure.
    void failed(const zfm::LinkFailure &failure);
    void confirmationRequested(const QString &text);
    void busyChanged(bool busy);

private:
    void advance();
    // Runs one step; false when the script must stop or wait.
    bool execute(const Step &s);
    // Whether the step would put the first byte of a frame on the line.
    bool beginsFrame(const Step &s) const;
    bool write(const QByteArray &bytes);
    void fail(const LinkFailure &failure);
    void finish(Outcome outcome);
    void waitUntil(qint64 deadlineNs);

    SerialLink &link_;
    const Clock &clock_;
    QElapsedTimer elapsed_;
    QTimer timer_;
    WireScript script_;
    size_t index_ = 0;
    qint64 nextAtNs_ = 0;
    qint64 lastWriteNs_ = -1'000'000'000;
    bool busy_ = false;
    bool awaitingConfirm_ = false;
    bool stopAsked_ = false;
    bool insideFrame_ = false;
    int framesWritten_ = 0;
    Done done_;
    WriteObserver writeObserver_;
};

} // namespace zfm
