#pragma once

#include <cstdio>
#include <cstdlib>

// A property every input must keep. A violation aborts, so the fuzzer keeps
// the input as a crash and a replay stops on it; unlike assert it stays on in
// optimised builds.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)
