#pragma once

#include "link/read_back_reply.h"
#include "link/status_reply.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace zfm {

// A "$" that met an empty buffer: a reply with nothing to decode.
struct EmptyReply {
    bool operator==(const EmptyReply &) const = default;
};

// Characters ended by "$" that open neither reply: line noise, or the rest of
// a reply whose wait ran out. Not a read-back with nothing in it: it must not
// answer a read-back request whose reply is still on its way.
struct StrayReply {
    bool operator==(const StrayReply &) const = default;
};

// What one received character completed: nothing yet (monostate), or a whole
// reply. A status reply or read-back answers the request waiting for one of
// its kind (the line owner routes it there); an empty or stray reply, or one
// nobody asked for, answers nothing. A ReadBack whose abortedAt is set is
// still a whole reply: it holds only the delays before the bad one.
using ReplyEvent = std::variant<std::monostate, StatusReply, ReadBack, EmptyReply, StrayReply>;

struct FeedResult {
    ReplyEvent event;
    // The character went into the buffer: a waiting request's watchdog starts
    // over and its progress advances on exactly these.
    bool appended = false;

    bool finished() const { return !std::holds_alternative<std::monostate>(event); }
};

// Collects the device's replies one received character at a time and decodes
// a reply when its closing "$" arrives. What kind of reply it is comes from
// where it begins (a status reply with its alarm code, a read-back with its
// delays), never from a label found further on, which may lie inside a text.
// Pure: no port, no timers, no widgets.
class ReplyParser {
public:
    // Stray characters without a "$" must not grow memory without end: the
    // buffer keeps the newest characters up to this many.
    static constexpr size_t kBufferLimit = 16 * 1024;

    ReplyParser();

    FeedResult feed(char chunk);

    // Empties the buffer and the count (after a reply, and when a watchdog expires).
    void reset();

    // The characters received since the last reset (at most kBufferLimit, the
    // newest); valid until the next feed or reset.
    std::string_view received() const { return std::string_view(storage_).substr(head_); }
    // Characters appended since the last reset, also those the buffer has dropped.
    int32_t receivedCount() const { return count_; }

private:
    void append(char c);

    // The buffer is storage_ from head_ on; dropped characters are compacted
    // away in blocks, so keeping the limit costs no copy per character.
    std::string storage_;
    size_t head_ = 0;
    int32_t count_ = 0;
};

// The progress bar's value while a read-back arrives: the share of the
// complete read-back received so far, never above the maximum.
int readBackProgress(int32_t receivedCount, int maximum);

} // namespace zfm
