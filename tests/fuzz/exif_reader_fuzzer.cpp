#include <cstddef>
#include <cstdint>

#include "fuzz/exif_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ExerciseExifReader(data, size);
    return 0;
}
