#pragma once

#include "link/wire_script.h"
#include "settings/settings_record.h"
#include "support/printers.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace zfm::test {

// A wire script read back as the frames it puts on the wire, for tests that
// compare sequences with the device documentation row by row (status steps
// are not part of it).
struct FrameView {
    int leadIn = 0;
    QByteArray name;
    QByteArray value;
    // Pauses between the value and the terminator, and after the terminator up
    // to the next frame's first byte (or the script's end).
    int pauseBeforeTerminatorMs = 0;
    int pauseAfterMs = 0;
    bool confirmed = false; // an operator confirmation before the terminator
};

std::vector<FrameView> framesOf(const WireScript &script);

// The record as start-up loads it from an empty store: the settings the
// upload tables are written for.
SettingsRecord loadedDefaults();

// Bytes as spaced hex ("00 46 44"), for readable failure messages.
QByteArray hex(const QByteArray &bytes);

} // namespace zfm::test
