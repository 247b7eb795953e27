#pragma once

#include <cstdio>
#include <cstdlib>

namespace mivex::fuzz {

// A broken rule aborts, which both libFuzzer and the corpus replayer report as a
// finding; the message says which rule broke so the crash log needs no debugger.
inline void Require(bool holds, const char* rule) {
    if (!holds) {
        std::fprintf(stderr, "broken rule: %s\n", rule);
        std::abort();
    }
}

}  // namespace mivex::fuzz
