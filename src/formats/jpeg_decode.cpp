#include "formats/jpeg_decode.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

// jpeglib.h needs the stdio types declared first.
#include <jpeglib.h>

#include "formats/exif_reader.h"
#include "library/dib_image.h"

namespace {

constexpr size_t kRefillSize = 4096;
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
    JOCTET buffer[kRefillSize];
};

boolean Refill(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<TolerantSource*>(info->src);
    size_t got = 0;
    if (source->file) {
        got = std::fread(source->buffer, 1, kRefillSize, source->file);
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

enum class Scale { kFull, kThumbnail };

// Everything that lives across the jump is plain data or was created before setjmp, so the
// jump skips no destructor.
int DecodeWith(TolerantSource& source, Scale scale, DibImage& image)
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
    info.scale_num = 1;
    info.scale_denom = scale == Scale::kThumbnail
        ? static_cast<unsigned int>(JpegScaleDenominator(info.image_width, info.image_height))
        : 1;
    if (scale == Scale::kThumbnail)
        info.dct_method = JDCT_IFAST;
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

int DecodeFile(const std::string& path, Scale scale, DibImage& image)
{
    image.Release();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    auto source = std::make_unique<TolerantSource>();
    source->file = file;
    const int result = DecodeWith(*source, scale, image);
    std::fclose(file);
    return result;
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
    return DecodeFile(path, Scale::kThumbnail, image);
}

int DecodeJpegFile(const std::string& path, DibImage& image)
{
    return DecodeFile(path, Scale::kFull, image);
}

int DecodeJpegBytes(const uint8_t* data, size_t size, DibImage& image)
{
    image.Release();
    if (!data || size == 0)
        return 0;
    auto source = std::make_unique<TolerantSource>();
    source->file = nullptr;
    source->memory = data;
    source->memoryLeft = size;
    return DecodeWith(*source, Scale::kFull, image);
}

int ReadExifThumbnail(const ExifReader& reader, DibImage& image)
{
    image.Release();
    std::vector<std::uint8_t> bytes;
    if (!Succeeded(reader.ReadThumbnail(bytes)))
        return 0;
    return DecodeJpegBytes(bytes.data(), bytes.size(), image);
}
