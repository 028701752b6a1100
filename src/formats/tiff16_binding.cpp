#include "formats/tiff16_binding.h"

#include <array>
#include <cstdint>
#include <dlfcn.h>
#include <new>
#include <type_traits>
#include <utility>

#include "formats/tiff_types.h"
#include "framework/program_folder.h"
#include "library/dib_image.h"
#include "library/media_error.h"

namespace {

// A module's packed bitmap holds the 40-byte header and the rows; a few bytes more are
// tolerated, but a buffer size far beyond the picture means the module is not describing the
// picture it reports, and we would allocate what a damaged module asks for.
constexpr std::uint64_t kBufferSlack = 4096;

// Stores a looked-up address in its typed slot.
template <auto Member> void Store(Tiff16Exports& exports, void* address)
{
    using Function = std::remove_reference_t<decltype(exports.*Member)>;
    exports.*Member = reinterpret_cast<Function>(address);
}

// One row per entry point, in the order the module's export list gives them.
struct ExportRow {
    const char* name;
    void (*store)(Tiff16Exports&, void*);
};

constexpr std::array<ExportRow, 17> kExportRows = {{
    {"QWTiff16Init", Store<&Tiff16Exports::init>},
    {"QWTiff16Exit", Store<&Tiff16Exports::exit>},
    {"QWTiff16GetLibInfo", Store<&Tiff16Exports::getLibInfo>},
    {"QWTiff16GetSize", Store<&Tiff16Exports::getSize>},
    {"QWTiff16Open", Store<&Tiff16Exports::open>},
    {"QWTiff16Close", Store<&Tiff16Exports::close>},
    {"QWTiff16IsTarget", Store<&Tiff16Exports::isTarget>},
    {"QWTiff16ReadImage", Store<&Tiff16Exports::readImage>},
    {"QWTiff16ReadImageEx", Store<&Tiff16Exports::readImageEx>},
    {"QWTiff16ReadThumbnail", Store<&Tiff16Exports::readThumbnail>},
    {"QWTiff16ReadThumbnailEx", Store<&Tiff16Exports::readThumbnailEx>},
    {"QWTiff16ParseHeader", Store<&Tiff16Exports::parseHeader>},
    {"QWTiff16ParseExifHeader", Store<&Tiff16Exports::parseExifHeader>},
    {"QWTiff16QueryHeaderType", Store<&Tiff16Exports::queryHeaderType>},
    {"QWTiff16QueryHeader", Store<&Tiff16Exports::queryHeader>},
    {"QWTiff16QueryExifHeaderType", Store<&Tiff16Exports::queryExifHeaderType>},
    {"QWTiff16QueryExifHeader", Store<&Tiff16Exports::queryExifHeader>},
}};

// The integer a format handler throws for a module result.
int ThrowCodeForModule(std::uint16_t result)
{
    switch (result) {
    case QWTIFF16_E_MEMORY:
    case QWTIFF16_E_TOO_LARGE: return kMediaOutOfMemory;
    case QWTIFF16_E_OPEN:
    case QWTIFF16_E_NOT_TARGET:
    case QWTIFF16_E_NOT_INITIALISED: return kMediaUnreadable;
    default: return kMediaMalformed;
    }
}

void ThrowIfModuleFailed(std::uint16_t result)
{
    if (result != QWTIFF16_OK)
        throw MediaError{ThrowCodeForModule(result)};
}

// One open context; closed on every way out, and only when the module opened it.
class OpenContext {
public:
    explicit OpenContext(const Tiff16Exports& exports)
        : m_exports(exports)
    {
    }
    ~OpenContext()
    {
        if (m_context.opened)
            m_exports.close(&m_context);
    }
    OpenContext(const OpenContext&) = delete;
    OpenContext& operator=(const OpenContext&) = delete;

    std::uint16_t Open(const std::string& path) { return m_exports.open(path.c_str(), &m_context); }
    QWTiff16Context* Get() { return &m_context; }

private:
    const Tiff16Exports& m_exports;
    QWTiff16Context m_context{};
};

} // namespace

void Tiff16Library::ModuleCloser::operator()(void* module) const
{
    dlclose(module);
}

Tiff16Library::Tiff16Library(const std::string& modulePath)
{
    m_module.reset(dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!m_module) {
        const char* text = dlerror();
        m_errorText = text ? text : "";
        m_error = kTiff16ModuleMissing;
        return;
    }
    for (const ExportRow& row : kExportRows) {
        void* address = dlsym(m_module.get(), row.name);
        if (!address) {
            m_errorText = row.name;
            m_error = kTiff16ExportMissing;
            m_exports = Tiff16Exports{};
            return;
        }
        row.store(m_exports, address);
    }
    if (m_exports.init() != QWTIFF16_OK) {
        m_error = kTiff16InitFailed;
        return;
    }
    m_initialised = true;
    if (m_exports.getLibInfo(&m_libInfo) != QWTIFF16_OK)
        m_error = kTiff16LibInfoFailed;
}

Tiff16Library::~Tiff16Library()
{
    if (m_initialised)
        m_exports.exit();
}

bool Tiff16Library::IsTiff16(const std::string& path, QWTiff16TargetInfo* info) const
{
    if (!IsUsable())
        return false;
    OpenContext context(m_exports);
    if (context.Open(path) != QWTIFF16_OK)
        return false;
    QWTiff16TargetInfo target{};
    const bool isTarget = m_exports.isTarget(context.Get(), &target) == QWTIFF16_OK;
    if (info)
        *info = target;
    return isTarget;
}

void Tiff16Library::ReadImage(const std::string& path, DibImage& image) const
{
    Read(path, image, false);
}

void Tiff16Library::ReadThumbnail(const std::string& path, DibImage& image) const
{
    Read(path, image, true);
}

void Tiff16Library::Read(const std::string& path, DibImage& image, bool thumbnail) const
{
    image.Release();
    if (!IsUsable())
        throw MediaError{kMediaUnreadable};
    OpenContext context(m_exports);
    ThrowIfModuleFailed(context.Open(path));
    QWTiff16TargetInfo info{};
    ThrowIfModuleFailed(m_exports.isTarget(context.Get(), &info));
    const std::uint32_t width = thumbnail ? info.thumbnailWidth : info.width;
    const std::uint32_t height = thumbnail ? info.thumbnailHeight : info.height;
    if (width == 0 || height == 0)
        throw MediaError{kMediaMalformed};
    if (std::uint64_t{width} * height > kMaxPicturePixels)
        throw MediaError{kMediaOutOfMemory};
    const std::uint64_t needed
        = DibImage::kInfoHeaderSize + std::uint64_t{DibImage::StrideFor(width, 24)} * height;
    const std::uint64_t size
        = thumbnail ? context.Get()->thumbnailBufferSize : context.Get()->imageBufferSize;
    if (size < needed || size > needed + kBufferSlack)
        throw MediaError{kMediaMalformed};

    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)]);
    if (!buffer)
        throw MediaError{kMediaOutOfMemory};
    ThrowIfModuleFailed(thumbnail ? m_exports.readThumbnail(context.Get(), buffer.get(), size)
                                  : m_exports.readImage(context.Get(), buffer.get(), size));
    // CopyFromPackedDib turns bottom-up rows (positive height) into the program's top-down
    // order; the result must be the picture IsTarget announced.
    if (!image.CopyFromPackedDib(buffer.get(), static_cast<std::size_t>(size)) || image.Width() != width
        || image.Height() != height || image.BitsPerPixel() != 24) {
        image.Release();
        throw MediaError{kMediaMalformed};
    }
}

Tiff16LibraryCache::Tiff16LibraryCache(PathSource modulePath)
    : m_modulePath(std::move(modulePath))
{
}

std::shared_ptr<const Tiff16Library> Tiff16LibraryCache::Acquire()
{
    std::lock_guard lock(m_mutex);
    if (!m_library) {
        auto library = std::make_shared<const Tiff16Library>(m_modulePath());
        if (!library->IsUsable())
            throw MediaError{kMediaUnreadable};
        m_library = std::move(library);
    }
    return m_library;
}

bool Tiff16LibraryCache::IsLoaded() const
{
    std::lock_guard lock(m_mutex);
    return m_library != nullptr;
}

Tiff16LibraryCache& ProgramTiff16Library()
{
    static Tiff16LibraryCache cache([] { return ResolveProgramPath(kTiff16ModulePath); });
    return cache;
}
