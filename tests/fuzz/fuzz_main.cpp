// A libFuzzer program for the target named by QUILLOMIR_FUZZ_ENTRY.
#include "tests/fuzz/fuzz_targets.h"

void QUILLOMIR_FUZZ_ENTRY(const std::uint8_t *data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    QUILLOMIR_FUZZ_ENTRY(data, size);
    return 0;
}
