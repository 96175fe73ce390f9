#include "link/reply_parser.h"

#include <algorithm>
#include <limits>

namespace zfm {

namespace {

constexpr char kReplyEnd = '$';

enum class ReplyKind { Stray, Status, ReadBack };

struct ReplyStart {
    ReplyKind kind;
    size_t at;
};

// Each reply opens with its own first item, and whichever opening comes first
// is the reply. Labels further on say nothing: a read-back's PS may read
// "Pfwd" or "AlarmCode=", but its delays came before it. What stands before
// the opening is line noise and is not decoded.
ReplyStart replyStart(std::string_view buffer)
{
    const size_t status = buffer.find(kStatusReplyStart);
    const size_t readBack = readBackStart(buffer);
    if (status < readBack)
        return {ReplyKind::Status, status};
    if (readBack != std::string_view::npos)
        return {ReplyKind::ReadBack, readBack};
    return {ReplyKind::Stray, 0};
}

} // namespace

ReplyParser::ReplyParser() { storage_.reserve(2 * kBufferLimit); }

FeedResult ReplyParser::feed(char chunk)
{
    FeedResult result;
    if (chunk == kReplyEnd) {
        const std::string_view buffer = received();
        if (buffer.empty()) {
            // An empty reply; the "$" then stays as the buffer's first character.
            result.event = EmptyReply{};
            reset();
        } else {
            const ReplyStart start = replyStart(buffer);
            const std::string_view reply = buffer.substr(start.at);
            switch (start.kind) {
            case ReplyKind::Status: result.event = decodeStatusReply(reply); break;
            case ReplyKind::Stray: result.event = StrayReply{}; break;
            case ReplyKind::ReadBack:
                // A "$" inside a PS, RadioText or message text ("CA$H FM") is
                // a character of it. The read-back ends at the first "$" outside
                // them: in a whole read-back, the one after its last item.
                if (!endsInsideTextValue(reply))
                    result.event = decodeReadBack(reply);
                break;
            }
            if (result.finished()) {
                reset();
                return result;
            }
        }
    }
    append(chunk);
    result.appended = true;
    return result;
}

void ReplyParser::reset()
{
    storage_.clear();
    head_ = 0;
    count_ = 0;
}

void ReplyParser::append(char c)
{
    if (storage_.size() - head_ >= kBufferLimit) {
        ++head_;
        if (head_ >= kBufferLimit) {
            storage_.erase(0, head_);
            head_ = 0;
        }
    }
    storage_.push_back(c);
    if (count_ < std::numeric_limits<int32_t>::max())
        ++count_;
}

int readBackProgress(int32_t receivedCount, int maximum)
{
    const int64_t share = int64_t(maximum) * std::max<int32_t>(receivedCount, 0) / kReadBackLength;
    return int(std::min<int64_t>(maximum, share));
}

} // namespace zfm
