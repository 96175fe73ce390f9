#include "frame_decoder.h"

namespace zfm::vt {

namespace {

constexpr char kLeadIn = 0x00;
constexpr char kSeparator = 0x01;
constexpr char kTerminator = 0x02;

bool isNameCharacter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

} // namespace

void FrameDecoder::startFrame()
{
    state_ = State::LeadIn;
    leadIn_ = 1;
    raw_ = QByteArray(1, kLeadIn);
    name_.clear();
    value_.clear();
}

void FrameDecoder::breakFrame(const QString &reason)
{
    state_ = State::Skip;
    skipReason_ = reason;
}

void FrameDecoder::emitError(std::vector<FrameEvent> &out)
{
    out.emplace_back(FrameError{raw_, skipReason_});
    raw_.clear();
    skipReason_.clear();
    state_ = State::Idle;
}

std::vector<FrameEvent> FrameDecoder::feed(const QByteArray &bytes)
{
    std::vector<FrameEvent> out;
    for (const char c : bytes) {
        switch (state_) {
        case State::Idle:
            if (c == kLeadIn) {
                startFrame();
            } else {
                raw_ = QByteArray(1, c);
                breakFrame(QStringLiteral("bytes outside a frame"));
                if (c == kTerminator)
                    emitError(out);
            }
            break;
        case State::LeadIn:
            if (c == kLeadIn) {
                if (leadIn_ == kMaxLeadIn) {
                    // The oldest lead-in byte is the surplus; the frame goes on.
                    out.emplace_back(FrameError{QByteArray(1, kLeadIn), QStringLiteral("more than two lead-in bytes")});
                } else {
                    ++leadIn_;
                    raw_ += c;
                }
            } else if (isNameCharacter(c)) {
                raw_ += c;
                name_ = QByteArray(1, c);
                state_ = State::Name;
            } else {
                raw_ += c;
                breakFrame(QStringLiteral("no command name after the lead-in"));
                if (c == kTerminator)
                    emitError(out);
            }
            break;
        case State::Name:
            if (c == kLeadIn) {
                skipReason_ = QStringLiteral("frame cut short in its name");
                emitError(out);
                startFrame();
                break;
            }
            raw_ += c;
            if (c == kSeparator) {
                state_ = State::Value;
            } else if (!isNameCharacter(c)) {
                breakFrame(QStringLiteral("bad character in the command name"));
                if (c == kTerminator)
                    emitError(out);
            } else if (name_.size() == kMaxNameLength) {
                breakFrame(QStringLiteral("command name longer than four characters"));
            } else {
                name_ += c;
            }
            break;
        case State::Value:
            if (c == kLeadIn) {
                skipReason_ = QStringLiteral("frame without terminator");
                emitError(out);
                startFrame();
                break;
            }
            raw_ += c;
            if (c == kTerminator) {
                out.emplace_back(RawFrame{leadIn_, name_, value_});
                raw_.clear();
                state_ = State::Idle;
            } else if (value_.size() == kMaxValueLength) {
                breakFrame(QStringLiteral("value longer than %1 bytes").arg(kMaxValueLength));
            } else {
                value_ += c;
            }
            break;
        case State::Skip:
            if (c == kLeadIn) {
                emitError(out);
                startFrame();
            } else {
                raw_ += c;
                if (c == kTerminator)
                    emitError(out);
            }
            break;
        }
    }
    return out;
}

std::vector<FrameEvent> FrameDecoder::finish()
{
    std::vector<FrameEvent> out;
    if (state_ == State::Skip) {
        emitError(out);
    } else if (state_ != State::Idle) {
        skipReason_ = QStringLiteral("frame cut short");
        emitError(out);
    }
    return out;
}

} // namespace zfm::vt
