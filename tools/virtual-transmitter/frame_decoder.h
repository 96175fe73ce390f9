#pragma once

#include <QByteArray>
#include <QString>

#include <variant>
#include <vector>

namespace zfm::vt {

// One command frame as it came off the line: its lead-in count (1 or 2), the
// command name and the raw value between the separator and the terminator.
struct RawFrame {
    int leadIn = 1;
    QByteArray name;
    QByteArray value;
    bool operator==(const RawFrame &) const = default;
};

// Bytes that did not make a frame, with the reason a person can read.
struct FrameError {
    QByteArray bytes;
    QString reason;
    bool operator==(const FrameError &) const = default;
};

using FrameEvent = std::variant<RawFrame, FrameError>;

// Cuts the byte stream the device receives into frames. Bytes may come in any
// split and with any pause (the static PS is held before its terminator while
// the operator reads it), so nothing here knows about time.
class FrameDecoder {
public:
    static constexpr int kMaxLeadIn = 2;
    static constexpr int kMaxNameLength = 4;
    static constexpr int kMaxValueLength = 255;

    // Everything the bytes completed, in order.
    std::vector<FrameEvent> feed(const QByteArray &bytes);
    // Ends a broken frame or stray run still being collected (at the end of
    // the session), so it is counted.
    std::vector<FrameEvent> finish();

    // A frame has begun and not yet ended.
    bool inFrame() const { return state_ != State::Idle && state_ != State::Skip; }

private:
    enum class State { Idle, LeadIn, Name, Value, Skip };

    void startFrame();
    // The frame so far (plus `byte`) is broken; its rest is skipped up to the
    // next terminator or lead-in and reported with it.
    void breakFrame(const QString &reason);
    void emitError(std::vector<FrameEvent> &out);

    State state_ = State::Idle;
    int leadIn_ = 0;
    QByteArray raw_;
    QByteArray name_;
    QByteArray value_;
    QString skipReason_;
};

} // namespace zfm::vt
