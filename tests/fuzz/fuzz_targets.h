// One entry for each parser that reads outside data: the libFuzzer programs call it with generated input,
// the unit tests with every kept case. Each checks what must hold for any input and aborts when it does not.
#pragma once

#include <cstddef>
#include <cstdint>

struct FuzzTarget {
    const char *name; // also the folder of its seeds and regression cases
    void (*run)(const std::uint8_t *data, std::size_t size);
};
extern const FuzzTarget kFuzzTargets[5];
