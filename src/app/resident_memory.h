#pragma once

namespace zfm {

// Resident memory of this process in KiB (Linux: VmRSS), or -1 where the
// system does not tell; for the start-up benchmark and the soak run.
long residentMemoryKiB();

} // namespace zfm
