#include <cstddef>
#include <cstdint>

#include "fuzz/bmp_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A reader that disagrees with itself is a finding as much as a crash is.
    if (!ExerciseBmpReader(data, size))
        __builtin_trap();
    return 0;
}
