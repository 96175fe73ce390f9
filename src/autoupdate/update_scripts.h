#pragma once

#include "link/wire_script.h"
#include "rds/ps_upload.h"
#include "settings/settings_record.h"

namespace zfm {

// The automatic update's device operations.

// The dynamic PS list: open the port with the "COMSpeed" line settings (an
// open port keeps its own), the PS and delay frames of `entries` (all 100 and
// 100 unless told), 10 ms, close, "Ready".
WireScript autoPsUploadScript(const SettingsRecord &record, const PsEntries &entries = PsEntries::all());

// The four frame pauses (200 ms) in front of every look at the RT file.
WireScript rtLeadInScript();

// The RadioText `rt` alone: close the port, reopen it with the "COMSpeed"
// line settings, 10 ms, the "RT" frame with 10 ms after its terminator,
// "Ready". The port is left open.
WireScript autoRtUploadScript(const SettingsRecord &record, const QString &rt);

} // namespace zfm
