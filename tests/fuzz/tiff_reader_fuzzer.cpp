#include <cstddef>
#include <cstdint>

#include "fuzz/tiff_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!ExerciseTiffReader(data, size) || !ExerciseTiff16Reader(data, size))
        __builtin_trap();
    return 0;
}
