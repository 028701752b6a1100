// The module's C entry points: argument checks, the context bookkeeping, and the wall that
// keeps every C++ exception inside the module.

#include "qwtiff16.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <new>

#include <tiffio.h>

#include "tiff16_file.h"

namespace {

using qwtiff16::Tiff16File;

// Balanced Init and Exit calls; the module is usable while it is above 0.
std::atomic<int> g_initCount{0};

Tiff16File* FileOf(const QWTiff16Context* context)
{
    return context && context->opened && context->handle ? static_cast<Tiff16File*>(context->handle)
                                                         : nullptr;
}

template <typename Body> uint16_t Guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return QWTIFF16_E_MEMORY;
    } catch (...) {
        return QWTIFF16_E_DECODE;
    }
}

void CopyText(char* target, size_t capacity, const char* text)
{
    size_t length = 0;
    // Only the first line: libtiff's version text goes on with its copyright lines.
    while (text[length] && text[length] != '\n' && length + 1 < capacity)
        ++length;
    std::memcpy(target, text, length);
    target[length] = '\0';
}

uint16_t Read(QWTiff16Context* context, void* buffer, uint64_t size, uint32_t flags, bool thumbnail)
{
    if (!buffer || (flags & ~QWTIFF16_READ_TOP_DOWN) != 0)
        return QWTIFF16_E_ARGUMENT;
    Tiff16File* file = FileOf(context);
    if (!file)
        return QWTIFF16_E_NOT_OPEN;
    const bool topDown = (flags & QWTIFF16_READ_TOP_DOWN) != 0;
    return Guarded([&] {
        auto* bytes = static_cast<uint8_t*>(buffer);
        return thumbnail ? file->ReadThumbnail(bytes, size, topDown) : file->ReadImage(bytes, size, topDown);
    });
}

uint16_t QueryType(QWTiff16Context* context, bool exif, uint16_t tag, QWTiff16TagInfo* info)
{
    if (!info)
        return QWTIFF16_E_ARGUMENT;
    const Tiff16File* file = FileOf(context);
    if (!file)
        return QWTIFF16_E_NOT_OPEN;
    return file->QueryType(exif, tag, *info);
}

uint16_t QueryValue(QWTiff16Context* context, bool exif, uint16_t tag, void* buffer, uint64_t size)
{
    if (!buffer)
        return QWTIFF16_E_ARGUMENT;
    const Tiff16File* file = FileOf(context);
    if (!file)
        return QWTIFF16_E_NOT_OPEN;
    return Guarded([&] { return file->QueryValue(exif, tag, static_cast<uint8_t*>(buffer), size); });
}

} // namespace

extern "C" {

uint16_t QWTiff16Init(void)
{
    g_initCount.fetch_add(1);
    return QWTIFF16_OK;
}

uint16_t QWTiff16Exit(void)
{
    int count = g_initCount.load();
    while (count > 0) {
        if (g_initCount.compare_exchange_weak(count, count - 1))
            return QWTIFF16_OK;
    }
    return QWTIFF16_E_NOT_INITIALISED;
}

uint16_t QWTiff16GetLibInfo(QWTiff16LibInfo* info)
{
    if (!info)
        return QWTIFF16_E_ARGUMENT;
    *info = QWTiff16LibInfo{};
    info->structSize = sizeof(QWTiff16LibInfo);
    info->apiVersion = QWTIFF16_API_VERSION;
    info->maxPixels = qwtiff16::kMaxPixels;
    info->thumbnailBoxWidth = qwtiff16::kThumbnailBoxWidth;
    info->thumbnailBoxHeight = qwtiff16::kThumbnailBoxHeight;
    CopyText(info->name, sizeof info->name, "QWTIFF16");
    CopyText(info->decoderVersion, sizeof info->decoderVersion, TIFFGetVersion());
    return QWTIFF16_OK;
}

uint16_t QWTiff16GetSize(QWTiff16Context* context, uint32_t* width, uint32_t* height)
{
    if (!width || !height)
        return QWTIFF16_E_ARGUMENT;
    const Tiff16File* file = FileOf(context);
    if (!file)
        return QWTIFF16_E_NOT_OPEN;
    file->PictureSize(*width, *height);
    return QWTIFF16_OK;
}

uint16_t QWTiff16Open(const char* path, QWTiff16Context* context)
{
    // An open context would leak its file if it were opened over.
    if (!path || !context || context->opened)
        return QWTIFF16_E_ARGUMENT;
    if (g_initCount.load() <= 0)
        return QWTIFF16_E_NOT_INITIALISED;
    return Guarded([&] {
        std::unique_ptr<Tiff16File> file;
        if (const uint16_t result = Tiff16File::OpenFile(path, qwtiff16::Limits{}, file);
            result != QWTIFF16_OK)
            return result;
        *context = QWTiff16Context{};
        context->imageBufferSize = file->ImageBufferSize();
        context->thumbnailBufferSize = file->ThumbnailBufferSize();
        context->handle = file.release();
        context->opened = 1;
        return static_cast<uint16_t>(QWTIFF16_OK);
    });
}

uint16_t QWTiff16Close(QWTiff16Context* context)
{
    Tiff16File* file = FileOf(context);
    if (!file)
        return QWTIFF16_E_NOT_OPEN;
    delete file;
    *context = QWTiff16Context{};
    return QWTIFF16_OK;
}

uint16_t QWTiff16IsTarget(QWTiff16Context* context, QWTiff16TargetInfo* info)
{
    if (!info)
        return QWTIFF16_E_ARGUMENT;
    const Tiff16File* file = FileOf(context);
    if (!file)
        return QWTIFF16_E_NOT_OPEN;
    file->FillTargetInfo(*info);
    context->imageBufferSize = file->ImageBufferSize();
    context->thumbnailBufferSize = file->ThumbnailBufferSize();
    return file->TargetStatus();
}

uint16_t QWTiff16ReadImage(QWTiff16Context* context, void* buffer, uint64_t size)
{
    return Read(context, buffer, size, 0, false);
}

uint16_t QWTiff16ReadImageEx(QWTiff16Context* context, void* buffer, uint64_t size, uint32_t flags)
{
    return Read(context, buffer, size, flags, false);
}

uint16_t QWTiff16ReadThumbnail(QWTiff16Context* context, void* buffer, uint64_t size)
{
    return Read(context, buffer, size, 0, true);
}

uint16_t QWTiff16ReadThumbnailEx(QWTiff16Context* context, void* buffer, uint64_t size, uint32_t flags)
{
    return Read(context, buffer, size, flags, true);
}

uint16_t QWTiff16ParseHeader(QWTiff16Context* context)
{
    Tiff16File* file = FileOf(context);
    if (!file)
        return QWTIFF16_E_NOT_OPEN;
    return Guarded([&] { return file->ParseHeader(); });
}

uint16_t QWTiff16ParseExifHeader(QWTiff16Context* context)
{
    Tiff16File* file = FileOf(context);
    if (!file)
        return QWTIFF16_E_NOT_OPEN;
    return Guarded([&] { return file->ParseExifHeader(); });
}

uint16_t QWTiff16QueryHeaderType(QWTiff16Context* context, uint16_t tag, QWTiff16TagInfo* info)
{
    return QueryType(context, false, tag, info);
}

uint16_t QWTiff16QueryHeader(QWTiff16Context* context, uint16_t tag, void* buffer, uint64_t size)
{
    return QueryValue(context, false, tag, buffer, size);
}

uint16_t QWTiff16QueryExifHeaderType(QWTiff16Context* context, uint16_t tag, QWTiff16TagInfo* info)
{
    return QueryType(context, true, tag, info);
}

uint16_t QWTiff16QueryExifHeader(QWTiff16Context* context, uint16_t tag, void* buffer, uint64_t size)
{
    return QueryValue(context, true, tag, buffer, size);
}

} // extern "C"
