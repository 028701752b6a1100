#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/exif_update_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!ExerciseExifUpdate(data, size))
        std::abort();
    return 0;
}
