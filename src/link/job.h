#pragma once

#include "link/link_failure.h"
#include "link/reply_parser.h"
#include "link/wire_script.h"

#include <functional>
#include <optional>

namespace zfm {

// What a job does, for the queue's rules and for anyone asking what is under way.
enum class JobKind {
    PortOpen, // start-up opens the port
    Reconnect, // the port is tried again after it was lost
    SendSettings,
    SendRtAndPs,
    TestFrequency,
    TestPower,
    ClockSync,
    AutoPs, // the automatic update's PS list
    AutoRt, // the automatic update's look at the RT file, and its upload
    StatusRequest,
    ReadBack,
    LineSpeed, // the device family's line speed
    Setup, // the setup window has the line while it is open
    ShutDown, // exit's power-0 upload
    PortClose, // the last job of all
};

// How a job ended.
struct JobEnd {
    enum class Outcome {
        Completed, // the script ran to its end (and a request got its reply)
        Failed, // the port could not be used; `failure` says why
        NoReply, // a request's reply did not come (or stopped coming) in time
        Stopped, // exit stopped it at a frame boundary
        Dropped, // exit removed it from the queue before it began
    };
    Outcome outcome = Outcome::Completed;
    // A request's decoded reply (Completed only).
    ReplyEvent reply;
    std::optional<LinkFailure> failure;

    bool completed() const { return outcome == Outcome::Completed; }
};

// The reply a request waits for: it ends with its "$", or when no character
// came for `watchdogMs` (counted from the job's start, then from each character).
struct AwaitedReply {
    enum class Kind { Status, ReadBack };
    Kind kind = Kind::Status;
    int watchdogMs = 1000;
};

struct Job {
    JobKind kind = JobKind::PortOpen;
    // Built when the job begins, from the settings as they are then; a job
    // that waited behind others sends what is current, not what was.
    std::function<WireScript()> script;
    // A request: from its start it takes the transmitter's reply of this kind.
    std::optional<AwaitedReply> reply;
    // Holds the line after its script until release() (the setup window);
    // `held` is told when the script has run and the line is the job's.
    bool holdsLine = false;
    std::function<void()> held;
    // Runs as soon as the running job ends, before anything queued: a line
    // speed change reaches the line before the jobs queued after the choice.
    bool first = false;
    // Part of exit: still taken once exit has begun.
    bool exitPath = false;
    // Asked for by the operator (a button), not by the automatic work.
    bool attended = false;
    // Every received character of the reply: the count so far.
    std::function<void(int32_t receivedCount)> onReceived;
    std::function<void(const JobEnd &)> done;
};

} // namespace zfm
