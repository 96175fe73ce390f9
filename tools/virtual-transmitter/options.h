#pragma once

#include "device_state.h"
#include "replies.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace zfm::vt {

// Ways the device can misbehave, for drills of the program's error paths.
struct Faults {
    bool silent = false; // never answers
    bool noDollar = false; // replies without the closing "$"
    bool stall = false; // stops half way through every reply
    bool garbage = false; // random characters (never "$") before every reply
    bool badDelay = false; // the read-back's 07PD value is the letter x
    bool slow = false; // a gap of gapMs after every gapEvery characters
    int gapMs = 700;
    int gapEvery = 32;
    int hangupAfter = 0; // cut the line after this many frames (0: never)
};

struct Options {
    Family family = Family::Classic;
    int baud = 0; // 0: the family's speed
    StatusSettings status;
    Faults faults;
    QString stateFile; // JSON state, rewritten after every frame and at exit
    QString configHome; // registration: the program's settings folder (empty: the default) ...
    int com = 0; // ... and the COM number to assign the line to
    bool echo = false; // print every frame on stdout

    int lineBaud() const { return baud > 0 ? baud : familyBaud(family); }
};

struct ParsedOptions {
    std::optional<Options> options; // empty on an error or for --help
    QString message; // the error, or the help text
};

// The command line without the program name.
ParsedOptions parseOptions(const QStringList &arguments);
QString usageText();

} // namespace zfm::vt
