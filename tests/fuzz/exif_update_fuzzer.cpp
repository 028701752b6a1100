#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/exif_update_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (const char* broken = ExerciseExifUpdate(data, size)) {
        std::fprintf(stderr, "in-place update: %s\n", broken);
        std::abort();
    }
    return 0;
}
