#include "formats/bmp_handler.h"

#include "formats/bmp_reader.h"
#include "library/dib_image.h"
#include "library/media_error.h"
#include "library/medium_info.h"

namespace {

// The reader's failures as the codes that callers of a handler expect.
void ThrowOnFailure(BmpStatus status)
{
    switch (status) {
    case BmpStatus::kComplete:
    case BmpStatus::kPartial: return;
    case BmpStatus::kUnreadable: throw MediaError{kMediaUnreadable};
    case BmpStatus::kOutOfMemory: throw MediaError{kMediaOutOfMemory};
    case BmpStatus::kMalformed: break;
    }
    throw MediaError{kMediaMalformed};
}

} // namespace

int BmpHandler::ReadImage(const std::string& path, DibImage& image)
{
    const BmpStatus status = ReadBmpFile(path, image);
    ThrowOnFailure(status);
    return status == BmpStatus::kComplete ? kBmpPictureComplete : kBmpPicturePartial;
}

int BmpHandler::ReadMediumInfo(const std::string& path, MediumInfo& info)
{
    BmpInfo header;
    ThrowOnFailure(ReadBmpFileInfo(path, header));
    info.width = static_cast<int32_t>(header.width);
    info.height = static_cast<int32_t>(header.height);
    info.bitsPerPixel = static_cast<int32_t>(header.bitsPerPixel);
    return 1;
}
