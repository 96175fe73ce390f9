#pragma once

#include <cstdio>
#include <cstdlib>

namespace zfm::fuzz {

// An invariant the fuzzer must not break: abort, so libFuzzer keeps the input.
inline void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

} // namespace zfm::fuzz
