#pragma once

#include "command_decoder.h"
#include "device_state.h"
#include "frame_decoder.h"
#include "options.h"
#include "pty.h"
#include "reply_sender.h"
#include "state_json.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QRandomGenerator>

#include <memory>

class QSocketNotifier;

namespace zfm::vt {

// The device at the far end of a pseudo-terminal: decodes every frame the
// program writes into its state, answers "FM" and "X" when the program's
// line speed matches its own, and misbehaves as its faults say.
class VirtualTransmitter : public QObject {
    Q_OBJECT
public:
    explicit VirtualTransmitter(Options options, QObject *parent = nullptr);
    ~VirtualTransmitter() override;

    bool isValid() const { return pty_.isValid() && !hungUp_; }
    // The device path the program opens.
    QString path() const { return pty_.slavePath(); }
    const Options &options() const { return options_; }
    // Changes how the device misbehaves from the next frame on, so a drill's
    // device can fall silent and recover without a new line.
    void setFaults(const Faults &faults) { options_.faults = faults; }
    // Changes what the status reply reports (alarms, audio) from the next reply on.
    void setStatus(const StatusSettings &status) { options_.status = status; }
    const DeviceState &state() const { return state_; }
    // Replaces what the device holds (counters and log included).
    void setState(const DeviceState &state) { state_ = state; }
    QJsonObject stateJson() const;
    // Rewrites the state file, when there is one.
    bool writeStateFile() const;

    // Characters of replies written so far, and whether all are out.
    qint64 repliedCharacters() const { return sender_ ? sender_->sent() : 0; }
    bool repliesDone() const { return !sender_ || sender_->idle(); }

    // Pulls the cable: the program's next write or read on the line fails.
    void hangUp();
    bool isHungUp() const { return hungUp_; }
    // Plugs it back in: a new line under the same path (as an adapter's
    // by-id name), the device keeping what it holds.
    bool plugIn();

signals:
    // One line per frame, per run of malformed bytes and per reply decision.
    void logged(const QString &line);
    void lineCut();

private:
    void listen();
    void onReadable();
    void handle(const FrameEvent &event);
    void onFrame(const RawFrame &frame);
    void answer(Request request, int programBaud);
    void log(const QString &text, bool malformed, int baud);
    QByteArray garbage();

    Options options_;
    Pty pty_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<ReplySender> sender_;
    FrameDecoder decoder_;
    DeviceState state_ = DeviceState::factory();
    QElapsedTimer started_;
    QRandomGenerator random_{20260307};
    bool hungUp_ = false;
};

} // namespace zfm::vt
