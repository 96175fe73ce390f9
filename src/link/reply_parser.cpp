#include "link/reply_parser.h"

#include <algorithm>
#include <limits>

namespace zfm {

namespace {
constexpr char kReplyEnd = '$';
}

ReplyParser::ReplyParser() { storage_.reserve(2 * kBufferLimit); }

FeedResult ReplyParser::feed(char chunk)
{
    FeedResult result;
    if (chunk == kReplyEnd) {
        const std::string_view buffer = received();
        if (buffer.find(kStatusMarker) != std::string_view::npos) {
            result.event = decodeStatusReply(buffer);
            reset();
            return result;
        }
        if (buffer.empty()) {
            // An empty reply; the "$" then stays as the buffer's first character.
            result.event = EmptyReply{};
            reset();
        } else if (!endsInsideTextValue(buffer)) {
            result.event = decodeReadBack(buffer);
            reset();
            return result;
        }
        // Otherwise the "$" belongs to a PS, RadioText or message text
        // ("CA$H FM"): ending the read-back here would cut it short.
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
