// The libFuzzer entry of one target (KEST_FUZZ_TARGET): a harness that reports a fault
// aborts, so that libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>

#include "fuzz/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const kest::fuzz::Target* const target = kest::fuzz::find_target(KEST_FUZZ_TARGET);
    if (!target) {
        std::fprintf(stderr, "no fuzz target %s\n", KEST_FUZZ_TARGET);
        std::abort();
    }
    const std::string fault = target->run({data, size});
    if (!fault.empty()) {
        std::fprintf(stderr, "%s: %s\n", target->name, fault.c_str());
        std::abort();
    }
    return 0;
}
