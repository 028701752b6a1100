#include <cstddef>
#include <cstdint>

#include "fuzz/raf_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ExerciseRafReader(data, size);
    return 0;
}
