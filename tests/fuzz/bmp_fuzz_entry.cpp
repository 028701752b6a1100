#include "fuzz/bmp_fuzz_entry.h"

#include <algorithm>
#include <vector>

#include "formats/bmp_reader.h"
#include "library/dib_image.h"

bool ExerciseBmpReader(const uint8_t* data, size_t size)
{
    // Exactly sized copies, so that the address checks catch any read past the end.
    const std::vector<uint8_t> bytes(data, data + size);
    const std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + std::min(size, kBmpMaxHeaderBytes));

    BmpInfo info;
    const BmpStatus parsed = ParseBmpHeader(bytes.data(), bytes.size(), bytes.size(), info);
    BmpInfo prefixInfo;
    const BmpStatus prefixParsed = ParseBmpHeader(prefix.data(), prefix.size(), size, prefixInfo);
    bool consistent = parsed == prefixParsed && info.width == prefixInfo.width
        && info.height == prefixInfo.height && info.bitsPerPixel == prefixInfo.bitsPerPixel;

    DibImage image;
    const BmpStatus decoded = DecodeBmp(bytes.data(), bytes.size(), image);
    if (decoded == BmpStatus::kComplete || decoded == BmpStatus::kPartial) {
        consistent = consistent && parsed == BmpStatus::kComplete && image.BitsPerPixel() == 24
            && image.Width() == info.width && image.Height() == info.height;
    } else {
        consistent = consistent && image.IsEmpty()
            && (decoded == parsed || (parsed == BmpStatus::kComplete && decoded == BmpStatus::kOutOfMemory));
    }
    return consistent;
}
