#include "formats/bmp_writer.h"

#include <cstdint>
#include <cstring>

#include "framework/atomic_file.h"
#include "library/dib_image.h"

namespace {

constexpr size_t kHeaderBytes = 14 + 40;
constexpr uint32_t kPixelsPerMetre = 2835; // 72 dots per inch

void PutLittleEndian(std::string& bytes, size_t offset, uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes[offset + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

std::string EncodeBmp(const DibImage& picture)
{
    if (picture.BitsPerPixel() != 24 || picture.Width() == 0 || picture.Height() == 0)
        return {};
    const uint64_t pixelBytes = uint64_t{picture.Stride()} * picture.Height();
    if (kHeaderBytes + pixelBytes > 0xFFFFFFFFu)
        return {};
    std::string bytes(kHeaderBytes + pixelBytes, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLittleEndian(bytes, 2, static_cast<uint32_t>(bytes.size()), 4);
    PutLittleEndian(bytes, 10, kHeaderBytes, 4);
    PutLittleEndian(bytes, 14, 40, 4);
    PutLittleEndian(bytes, 18, picture.Width(), 4);
    PutLittleEndian(bytes, 22, picture.Height(), 4);
    PutLittleEndian(bytes, 26, 1, 2);
    PutLittleEndian(bytes, 28, 24, 2);
    PutLittleEndian(bytes, 34, static_cast<uint32_t>(pixelBytes), 4);
    PutLittleEndian(bytes, 38, kPixelsPerMetre, 4);
    PutLittleEndian(bytes, 42, kPixelsPerMetre, 4);
    for (uint32_t y = 0; y < picture.Height(); ++y)
        std::memcpy(bytes.data() + kHeaderBytes + size_t{picture.Height() - 1 - y} * picture.Stride(), picture.Row(y),
                    picture.Stride());
    return bytes;
}

BmpWriteResult WriteBmpFile(const DibImage& picture, const std::string& path)
{
    const std::string bytes = EncodeBmp(picture);
    if (bytes.empty())
        return BmpWriteResult::kUnsupported;
    return WriteFileAtomically(path, bytes) == 0 ? BmpWriteResult::kOk : BmpWriteResult::kWriteFailed;
}
