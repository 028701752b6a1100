#include "formats/jpeg_decode.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

// jpeglib.h needs the stdio types declared first.
#include <jpeglib.h>

#include "formats/exif_reader.h"
#include "library/dib_image.h"

namespace {

constexpr size_t kRefillSize = 4096;
// The preview reads whole pictures of several megabytes: larger reads save system calls.
constexpr size_t kPreviewRefillSize = 256 * 1024;
constexpr JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};
// The decoder's own working memory (progressive pictures keep all coefficients): beyond this a
// picture is refused instead of exhausting memory.
constexpr long kMaxDecoderMemory = 768L * 1024 * 1024;

// libjpeg reports fatal errors through this; the handler jumps back to the decode routine.
struct ErrorManager {
    jpeg_error_mgr standard;
    std::jmp_buf back;
};

[[noreturn]] void JumpBack(j_common_ptr info)
{
    // The message is formatted only so that libjpeg's state stays as it expects; nobody reads it.
    char message[JMSG_LENGTH_MAX];
    info->err->format_message(info, message);
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->back, 1);
}

void IgnoreMessage(j_common_ptr, int)
{
}

// A source over a file or a memory block that never runs dry: at the end it supplies an EOI
// marker, so truncated data ends the picture instead of failing it.
struct TolerantSource {
    jpeg_source_mgr manager;
    std::FILE* file;
    const JOCTET* memory;
    size_t memoryLeft;
    JOCTET* buffer;
    size_t bufferSize;
};

boolean Refill(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<TolerantSource*>(info->src);
    size_t got = 0;
    if (source->file) {
        got = std::fread(source->buffer, 1, source->bufferSize, source->file);
        source->manager.next_input_byte = source->buffer;
    } else if (source->memoryLeft > 0) {
        got = source->memoryLeft;
        source->manager.next_input_byte = source->memory;
        source->memoryLeft = 0;
    }
    if (got == 0) {
        source->manager.next_input_byte = kEndOfImage;
        got = sizeof kEndOfImage;
    }
    source->manager.bytes_in_buffer = got;
    return TRUE;
}

void Skip(j_decompress_ptr info, long count)
{
    auto* source = reinterpret_cast<TolerantSource*>(info->src);
    while (count > static_cast<long>(source->manager.bytes_in_buffer)) {
        count -= static_cast<long>(source->manager.bytes_in_buffer);
        Refill(info);
    }
    if (count > 0) {
        source->manager.next_input_byte += count;
        source->manager.bytes_in_buffer -= static_cast<size_t>(count);
    }
}

void NoOp(j_decompress_ptr)
{
}

void AttachSource(jpeg_decompress_struct& info, TolerantSource& source)
{
    source.manager.init_source = NoOp;
    source.manager.fill_input_buffer = Refill;
    source.manager.skip_input_data = Skip;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = NoOp;
    source.manager.bytes_in_buffer = 0;
    source.manager.next_input_byte = nullptr;
    info.src = &source.manager;
}

// How a decode chooses its scale: full size, the thumbnails' power of two, or the preview's
// M/8 for a box. Plain data, so that it may live across the error jump.
struct Scale {
    enum Kind { kFull, kThumbnail, kBox } kind = kFull;
    int boxWidth = 0;
    int boxHeight = 0;
    bool quarterTurn = false;
};

constexpr Scale kFullScale{Scale::kFull};
constexpr Scale kThumbnailScale{Scale::kThumbnail};

// Sets the scale and the DCT for a picture whose header has been read.
void ChooseScale(jpeg_decompress_struct& info, const Scale& scale)
{
    switch (scale.kind) {
    case Scale::kThumbnail:
        info.scale_num = 1;
        info.scale_denom = static_cast<unsigned int>(JpegScaleDenominator(info.image_width, info.image_height));
        info.dct_method = JDCT_IFAST;
        return;
    case Scale::kBox:
        info.scale_num = static_cast<unsigned int>(PreviewScaleEighths(
            info.image_width, info.image_height, scale.boxWidth, scale.boxHeight, scale.quarterTurn));
        info.scale_denom = 8;
        // Below 8/8 the library uses its reduced-size inverse DCTs whatever the method says.
        // At 8/8 the picture may be shown zoomed up to five times, where the fast DCT's
        // errors become visible, so the accurate one is kept; with the library's SIMD code it
        // costs little more.
        info.dct_method = info.scale_num < 8 ? JDCT_IFAST : JDCT_ISLOW;
        return;
    case Scale::kFull:
        info.scale_num = 1;
        info.scale_denom = 1;
        info.dct_method = JDCT_ISLOW;
        return;
    }
}

// Everything that lives across the jump is plain data or was created before setjmp, so the
// jump skips no destructor.
int DecodeWith(TolerantSource& source, const Scale& scale, DibImage& image)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = JumpBack;
    errors.standard.emit_message = IgnoreMessage;
    if (setjmp(errors.back)) {
        jpeg_destroy_decompress(&info);
        image.Release();
        return 0;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kMaxDecoderMemory;
    AttachSource(info, source);
    jpeg_read_header(&info, TRUE);
    if (uint64_t{info.image_width} * info.image_height > kMaxPicturePixels) {
        jpeg_destroy_decompress(&info);
        return 0;
    }
    ChooseScale(info, scale);
    // Blue-green-red straight into the bitmap's rows: the same bytes as RGB output with the
    // red and blue bytes exchanged afterwards.
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || !image.Create(info.output_width, info.output_height, 24)) {
        jpeg_destroy_decompress(&info);
        image.Release();
        return 0;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.Row(info.output_scanline);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return 1;
}

int DecodeFile(const std::string& path, const Scale& scale, DibImage& image)
{
    image.Release();
    std::vector<JOCTET> buffer;
    try {
        buffer.resize(scale.kind == Scale::kBox ? kPreviewRefillSize : kRefillSize);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    TolerantSource source{};
    source.file = file;
    source.buffer = buffer.data();
    source.bufferSize = buffer.size();
    const int result = DecodeWith(source, scale, image);
    std::fclose(file);
    return result;
}

int DecodeBytes(const uint8_t* data, size_t size, const Scale& scale, DibImage& image)
{
    image.Release();
    if (!data || size == 0)
        return 0;
    TolerantSource source{};
    source.file = nullptr;
    source.memory = data;
    source.memoryLeft = size;
    return DecodeWith(source, scale, image);
}

// ceil(side x eighths / 8), the size libjpeg gives a side at the scale eighths/8.
uint64_t ScaledSide(uint32_t side, int eighths)
{
    return (uint64_t{side} * static_cast<uint64_t>(eighths) + 7) / 8;
}

// a x b / c rounded up, at least 1.
uint32_t ScaledUp(uint64_t a, uint64_t b, uint64_t c)
{
    return static_cast<uint32_t>(std::max<uint64_t>(1, (a * b + c - 1) / c));
}

} // namespace

int JpegScaleDenominator(uint32_t width, uint32_t height)
{
    const uint32_t n = std::max(width / 240, height / 180);
    if (n >= 8)
        return 8;
    if (n >= 4)
        return 4;
    if (n >= 2)
        return 2;
    return 1;
}

int DecodeJpegScaled(const std::string& path, DibImage& image)
{
    return DecodeFile(path, kThumbnailScale, image);
}

int DecodeJpegFile(const std::string& path, DibImage& image)
{
    return DecodeFile(path, kFullScale, image);
}

int DecodeJpegBytes(const uint8_t* data, size_t size, DibImage& image)
{
    return DecodeBytes(data, size, kFullScale, image);
}

PreviewSize PreviewFittedSize(uint32_t width, uint32_t height, int boxWidth, int boxHeight)
{
    PreviewSize size{width, height};
    if (boxWidth <= 0 || boxHeight <= 0 || width == 0 || height == 0)
        return size;
    const auto bw = static_cast<uint32_t>(boxWidth);
    const auto bh = static_cast<uint32_t>(boxHeight);
    if (size.width > bw) {
        size.height = ScaledUp(size.height, bw, size.width);
        size.width = bw;
    }
    if (size.height > bh) {
        size.width = ScaledUp(size.width, bh, size.height);
        size.height = bh;
    }
    return size;
}

int PreviewScaleEighths(uint32_t width, uint32_t height, int boxWidth, int boxHeight, bool quarterTurn)
{
    if (boxWidth <= 0 || boxHeight <= 0)
        return 8;
    // The fit is worked out on the upright picture, the decode on the stored one.
    const uint32_t uprightWidth = quarterTurn ? height : width;
    const uint32_t uprightHeight = quarterTurn ? width : height;
    const PreviewSize fitted = PreviewFittedSize(uprightWidth, uprightHeight, boxWidth, boxHeight);
    for (int eighths = 1; eighths < 8; ++eighths) {
        if (ScaledSide(uprightWidth, eighths) >= fitted.width && ScaledSide(uprightHeight, eighths) >= fitted.height)
            return eighths;
    }
    return 8;
}

int DecodeJpegFileForBox(const std::string& path, int boxWidth, int boxHeight, bool quarterTurn,
                         DibImage& image)
{
    return DecodeFile(path, Scale{Scale::kBox, boxWidth, boxHeight, quarterTurn}, image);
}

int DecodeJpegBytesForBox(const uint8_t* data, size_t size, int boxWidth, int boxHeight, bool quarterTurn,
                          DibImage& image)
{
    return DecodeBytes(data, size, Scale{Scale::kBox, boxWidth, boxHeight, quarterTurn}, image);
}

int ReadExifThumbnail(const ExifReader& reader, DibImage& image)
{
    image.Release();
    std::vector<std::uint8_t> bytes;
    if (!Succeeded(reader.ReadThumbnail(bytes)))
        return 0;
    return DecodeJpegBytes(bytes.data(), bytes.size(), image);
}
