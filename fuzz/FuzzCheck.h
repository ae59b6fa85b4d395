#pragma once

#include <cstdio>
#include <cstdlib>

/// Ends the fuzz run with a report when `condition` is false. Unlike assert() it stays active in
/// release builds, so the corpus replay in an ordinary build checks the same invariants.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
