#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// A fuzz target is libFuzzer's entry point in the fuzzing build, and a plain named function when
// the test suite replays the committed corpora through it.
#ifdef ZELKO_FUZZ_REPLAY
#define ZELKO_FUZZ_TARGET(name) int fuzz_##name(const std::uint8_t* data, std::size_t size)
#else
#define ZELKO_FUZZ_TARGET(name) \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
#endif

// A broken property aborts, which libFuzzer records as a crash and a test as a failure.
#define ZELKO_FUZZ_CHECK(condition) \
    do {                            \
        if (!(condition)) {         \
            std::abort();           \
        }                           \
    } while (0)
