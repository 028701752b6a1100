#include "formats/jpeg_encode.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>

// jpeglib.h needs the stdio types declared first.
#include <jpeglib.h>
#include <jerror.h>

#include "library/dib_image.h"

namespace {

// What an APP1 segment can carry: its 16-bit length counts itself.
constexpr std::size_t kMaxSegmentPayload = 65533;

// libjpeg reports fatal errors through this; the handler jumps back to the compress routine.
struct ErrorManager {
    jpeg_error_mgr standard;
    std::jmp_buf back;
};

[[noreturn]] void JumpBack(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->back, 1);
}

void IgnoreMessage(j_common_ptr, int)
{
}

// The memory destination's block: libjpeg mallocs and grows it, the caller frees it. It lives
// outside the routine that calls setjmp, so it keeps its value across the jump.
struct Output {
    unsigned char* data = nullptr;
    unsigned long size = 0;
    int errorCode = 0; // libjpeg's message code of a failure
};

// Everything that lives across the jump is plain data or was created before setjmp, so the
// jump skips no destructor.
bool Compress(const DibImage& picture, int linearScale, std::span<const std::uint8_t> app1Payload, Output& output)
{
    jpeg_compress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = JumpBack;
    errors.standard.emit_message = IgnoreMessage;
    if (setjmp(errors.back)) {
        output.errorCode = errors.standard.msg_code;
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &output.data, &output.size);
    info.image_width = picture.Width();
    info.image_height = picture.Height();
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR; // the bitmap's own byte order
    jpeg_set_defaults(&info);
    jpeg_set_linear_quality(&info, linearScale, TRUE);
    info.dct_method = JDCT_IFAST;
    // Exif files start with their APP1 segment; a JFIF segment before it would hide it.
    info.write_JFIF_header = FALSE;
    jpeg_start_compress(&info, TRUE);
    if (!app1Payload.empty())
        jpeg_write_marker(&info, JPEG_APP0 + 1, app1Payload.data(), static_cast<unsigned int>(app1Payload.size()));
    while (info.next_scanline < info.image_height) {
        // libjpeg only reads the rows it is given.
        JSAMPROW row = const_cast<JSAMPROW>(picture.Row(info.next_scanline));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

int JpegLinearScale(int encoderParameter)
{
    return encoderParameter * 100 / 1024;
}

JpegEncodeResult EncodeJpegPicture(const DibImage& picture, int encoderParameter,
                                   std::span<const std::uint8_t> app1Payload, std::vector<std::uint8_t>& jpeg)
{
    jpeg.clear();
    if (picture.IsEmpty() || picture.BitsPerPixel() != 24 || picture.Width() > JPEG_MAX_DIMENSION
        || picture.Height() > JPEG_MAX_DIMENSION || app1Payload.size() > kMaxSegmentPayload)
        return JpegEncodeResult::kBadPicture;
    Output output;
    const bool compressed = Compress(picture, JpegLinearScale(encoderParameter), app1Payload, output);
    JpegEncodeResult result = JpegEncodeResult::kOk;
    if (!compressed) {
        result = output.errorCode == JERR_OUT_OF_MEMORY ? JpegEncodeResult::kOutOfMemory : JpegEncodeResult::kFailed;
    } else {
        try {
            jpeg.assign(output.data, output.data + output.size);
        } catch (const std::bad_alloc&) {
            result = JpegEncodeResult::kOutOfMemory;
        }
    }
    std::free(output.data);
    return result;
}
