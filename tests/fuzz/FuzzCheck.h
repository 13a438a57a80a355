#pragma once

#include <cstdio>

// Stops the fuzzer on a broken promise of the code under test, saying which.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);               \
            __builtin_trap();                                                                                \
        }                                                                                                    \
    } while (0)
