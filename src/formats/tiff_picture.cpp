#include "formats/tiff_picture.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <tiffio.h>

#include "formats/exif_reader.h"
#include "formats/tiff16_binding.h"
#include "library/media_error.h"
#include "tiff16/libtiff_client.h"

namespace {

// The RGBA rows libtiff converts in one go: big enough for whole strips of ordinary files,
// small enough that a large picture does not need a second full-size copy.
constexpr std::uint64_t kBandBytes = 16u << 20;
// libtiff's buffers stay below what the largest accepted picture needs per strip (four 16-bit
// samples per pixel), whatever a damaged directory declares.
constexpr std::uint64_t kBytesPerPixelCeiling = 8;
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kBitsPerSampleTag = 0x0102;

// Exif orientation values and the transform that makes the stored picture upright:
// transposed swaps x and y (width and height), then the flips mirror the result.
struct OrientationRow {
    std::uint16_t value;
    bool transposed;
    bool flipX;
    bool flipY;
};

constexpr std::array<OrientationRow, 8> kOrientations = {{
    {1, false, false, false}, // row 0 top, column 0 left: as stored
    {2, false, true, false},  // top, right: mirror left-right
    {3, false, true, true},   // bottom, right: rotate 180 degrees
    {4, false, false, true},  // bottom, left: mirror top-bottom
    {5, true, false, false},  // left, top: transpose
    {6, true, true, false},   // right, top: rotate 90 degrees clockwise
    {7, true, true, true},    // right, bottom: transverse
    {8, true, false, true},   // left, bottom: rotate 90 degrees counter-clockwise
}};

const OrientationRow& OrientationFor(std::uint16_t value)
{
    for (const OrientationRow& row : kOrientations) {
        if (row.value == value)
            return row;
    }
    return kOrientations[0];
}

// The bytes of a file (read with pread, so a file cut short under us gives short reads rather
// than a fault) or of a memory block.
class TiffBytes {
public:
    explicit TiffBytes(const std::string& path)
    {
        // O_NONBLOCK: a pipe named like a picture must not hang the open; it is refused below.
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat status {};
        if (m_fd >= 0 && (::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0)) {
            ::close(m_fd); // the destructor does not run for a constructor that throws
            m_fd = -1;
        }
        if (m_fd < 0)
            throw MediaError{kMediaUnreadable};
        m_size = static_cast<std::uint64_t>(status.st_size);
    }
    explicit TiffBytes(std::span<const std::uint8_t> bytes)
        : m_memory(bytes)
        , m_size(bytes.size())
    {
    }
    ~TiffBytes()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    TiffBytes(const TiffBytes&) = delete;
    TiffBytes& operator=(const TiffBytes&) = delete;

    std::uint64_t Size() const { return m_size; }
    // The bytes of a memory block; nullptr for a file.
    const std::uint8_t* Memory() const { return m_fd < 0 ? m_memory.data() : nullptr; }

    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const
    {
        if (offset >= m_size)
            return 0;
        length = static_cast<std::size_t>(std::min<std::uint64_t>(length, m_size - offset));
        if (m_fd < 0) {
            std::memcpy(buffer, m_memory.data() + offset, length);
            return length;
        }
        std::size_t done = 0;
        auto* target = static_cast<std::uint8_t*>(buffer);
        while (done < length) {
            const ssize_t got
                = ::pread(m_fd, target + done, length - done, static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

private:
    int m_fd = -1;
    std::span<const std::uint8_t> m_memory;
    std::uint64_t m_size = 0;
};

using Client = LibtiffClient<TiffBytes>;

// Only memory blocks are "mapped"; files are always read, never mapped.
int MapProc(thandle_t handle, void** base, toff_t* size)
{
    const TiffBytes& bytes = *Client::Of(handle).source;
    if (!bytes.Memory())
        return 0;
    *base = const_cast<std::uint8_t*>(bytes.Memory()); // libtiff only reads through a mapping
    *size = bytes.Size();
    return 1;
}

// One file open in libtiff. Throws MediaError when libtiff does not take it for a TIFF.
// `mapped` lets libtiff take the bytes of a memory block directly instead of reading them.
class TiffFile {
public:
    TiffFile(const TiffBytes& bytes, const char* name, std::uint64_t maxPixels, bool mapped = false)
        : m_mapped(mapped && bytes.Memory())
    {
        m_client.source = &bytes;
        std::unique_ptr<TIFFOpenOptions, OptionsFreer> options(TIFFOpenOptionsAlloc());
        if (!options)
            throw MediaError{kMediaOutOfMemory};
        TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Client::OnError, &m_client);
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Client::OnWarning, &m_client);
        TIFFOpenOptionsSetMaxSingleMemAlloc(
            options.get(), static_cast<tmsize_t>(maxPixels * kBytesPerPixelCeiling + (1 << 20)));
        // "m": no mapping; every byte comes through ReadProc, as for a file.
        m_tif.reset(TIFFClientOpenExt(name, m_mapped ? "r" : "rm", &m_client, Client::Read, Client::Write,
                                      Client::Seek, Client::Close, Client::Size, MapProc, Client::Unmap,
                                      options.get()));
        if (!m_tif)
            throw MediaError{bytes.Size() == 0 ? kMediaUnreadable : kMediaMalformed};
    }
    TiffFile(const TiffFile&) = delete;
    TiffFile& operator=(const TiffFile&) = delete;

    TIFF* Handle() const { return m_tif.get(); }
    bool IsMapped() const { return m_mapped; }
    bool Failed() const { return m_client.failed; }
    void ClearFailure() { m_client.failed = false; }

private:
    bool m_mapped;
    Client m_client; // libtiff keeps its address: the object never moves
    std::unique_ptr<TIFF, TiffCloser> m_tif;
};

bool HasSixteenBitSamples(const TiffFile& file)
{
    std::uint16_t bits = 1;
    TIFFGetFieldDefaulted(file.Handle(), TIFFTAG_BITSPERSAMPLE, &bits);
    return bits == 16;
}

struct RgbaImageEnder {
    void operator()(TIFFRGBAImage* image) const { TIFFRGBAImageEnd(image); }
};

// Puts one band of RGBA rows (libtiff's A-B-G-R words, stored order) into the image at the
// places the orientation gives them.
void PlaceBand(const std::vector<std::uint32_t>& raster, std::uint32_t width, std::uint32_t height,
               std::uint32_t top, std::uint32_t rows, const OrientationRow& orientation, DibImage& image)
{
    const auto stride = static_cast<std::ptrdiff_t>(image.Stride());
    std::uint8_t* pixels = image.Pixels();
    for (std::uint32_t row = 0; row < rows; ++row) {
        const std::uint32_t y = top + row;
        // Where stored pixel (0, y) goes, and how far the next one along the row lies.
        std::ptrdiff_t start = 0;
        std::ptrdiff_t step = 0;
        if (!orientation.transposed) {
            const std::uint32_t targetY = orientation.flipY ? height - 1 - y : y;
            const std::uint32_t targetX = orientation.flipX ? width - 1 : 0;
            start = targetY * stride + std::ptrdiff_t{targetX} * 3;
            step = orientation.flipX ? -3 : 3;
        } else {
            // Stored rows become columns: the picture is height pixels wide and width high.
            const std::uint32_t targetX = orientation.flipX ? height - 1 - y : y;
            const std::uint32_t targetY = orientation.flipY ? width - 1 : 0;
            start = targetY * stride + std::ptrdiff_t{targetX} * 3;
            step = orientation.flipY ? -stride : stride;
        }
        const std::uint32_t* source = raster.data() + std::size_t{row} * width;
        std::uint8_t* target = pixels + start;
        for (std::uint32_t x = 0; x < width; ++x, target += step) {
            const std::uint32_t abgr = source[x];
            target[0] = static_cast<std::uint8_t>(TIFFGetB(abgr));
            target[1] = static_cast<std::uint8_t>(TIFFGetG(abgr));
            target[2] = static_cast<std::uint8_t>(TIFFGetR(abgr));
        }
    }
}

// Decodes the current directory through libtiff's RGBA conversion, band by band, and turns it
// by `orientationValue` (1 leaves it as stored).
void DecodeDirectory(TiffFile& file, std::uint64_t maxPixels, std::uint16_t orientationValue, DibImage& image)
{
    TIFF* tif = file.Handle();
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    if (width == 0 || height == 0)
        throw MediaError{kMediaMalformed};
    if (std::uint64_t{width} * height > maxPixels)
        throw MediaError{kMediaOutOfMemory};

    file.ClearFailure();
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tif, message))
        throw MediaError{file.Failed() ? kMediaMalformed : kMediaUnreadable};
    TIFFRGBAImage rgba{};
    if (!TIFFRGBAImageBegin(&rgba, tif, 1, message))
        throw MediaError{file.Failed() ? kMediaMalformed : kMediaUnreadable};
    const std::unique_ptr<TIFFRGBAImage, RgbaImageEnder> ender(&rgba);
    if (file.Failed())
        throw MediaError{kMediaMalformed};
    // Rows in stored order; the orientation is applied while placing them, for every value
    // (libtiff's own handling only flips).
    rgba.req_orientation = ORIENTATION_TOPLEFT;
    rgba.orientation = ORIENTATION_TOPLEFT;

    const OrientationRow& orientation = OrientationFor(orientationValue);
    if (!(orientation.transposed ? image.Create(height, width, 24) : image.Create(width, height, 24)))
        throw MediaError{kMediaOutOfMemory};

    // Bands of whole strips or tile rows, so that no strip is decoded twice.
    std::uint32_t unit = 0;
    if (TIFFIsTiled(tif))
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
    else
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
    unit = std::clamp<std::uint32_t>(unit, 1, height);
    const std::uint64_t unitBytes = std::uint64_t{unit} * width * 4;
    const std::uint64_t units = std::max<std::uint64_t>(1, kBandBytes / unitBytes);
    const auto bandRows = static_cast<std::uint32_t>(std::min<std::uint64_t>(units * unit, height));
    std::vector<std::uint32_t> raster(std::size_t{bandRows} * width);

    for (std::uint32_t top = 0; top < height; top += bandRows) {
        const std::uint32_t rows = std::min(bandRows, height - top);
        rgba.row_offset = static_cast<int>(top);
        rgba.col_offset = 0;
        if (!TIFFRGBAImageGet(&rgba, raster.data(), width, rows) || file.Failed())
            throw MediaError{kMediaMalformed};
        PlaceBand(raster, width, height, top, rows, orientation, image);
    }
}

enum class Part { kPicture, kReducedImage };

// libtiff 4.5 refuses uncompressed tiles whose size is not a multiple of 1024 bytes when it
// reads them through the read procedure (it compares the tile size with its read buffer, which
// it rounds up to 1024); through a mapping it reads them fine.
bool NeedsMapping(TIFF* tif)
{
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    return TIFFIsTiled(tif) && compression == COMPRESSION_NONE && TIFFTileSize64(tif) % 1024 != 0;
}

// Decodes the picture (upright) or IFD1's reduced image (as stored) of an open file. False when
// the directory needs a mapping that this file does not have.
bool DecodePart(TiffFile& file, Part part, std::uint64_t maxPixels, DibImage& image)
{
    TIFF* tif = file.Handle();
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    if (part == Part::kPicture) {
        TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    } else {
        // IFD1 is a thumbnail only when it is a reduced version of the picture, not a second page.
        if (!TIFFSetDirectory(tif, 1))
            throw MediaError{0};
        std::uint32_t subfileType = 0;
        TIFFGetFieldDefaulted(tif, TIFFTAG_SUBFILETYPE, &subfileType);
        if (!(subfileType & FILETYPE_REDUCEDIMAGE))
            throw MediaError{0};
    }
    if (!file.IsMapped() && NeedsMapping(tif))
        return false;
    DecodeDirectory(file, maxPixels, orientation, image);
    return true;
}

// Decodes a part of the bytes; a file that needs a mapping is decoded from a copy in memory.
void DecodeBytes(const TiffBytes& bytes, const char* name, Part part, std::uint64_t maxPixels,
                 DibImage& image)
{
    {
        TiffFile file(bytes, name, maxPixels);
        if (DecodePart(file, part, maxPixels, image))
            return;
    }
    std::vector<std::uint8_t> copy;
    const TiffBytes* mappable = &bytes;
    std::optional<TiffBytes> memory;
    if (!bytes.Memory()) {
        // Uncompressed pixels: a file much larger than its picture is not worth copying.
        if (bytes.Size() > maxPixels * kBytesPerPixelCeiling + (1 << 20))
            throw MediaError{kMediaOutOfMemory};
        copy.resize(static_cast<std::size_t>(bytes.Size()));
        if (bytes.ReadAt(0, copy.data(), copy.size()) != copy.size())
            throw MediaError{kMediaUnreadable};
        mappable = &memory.emplace(copy);
    }
    TiffFile file(*mappable, name, maxPixels, true);
    if (!DecodePart(file, part, maxPixels, image))
        throw MediaError{kMediaUnreadable};
}

bool HasSixteenBitSamples(const TiffBytes& bytes, const char* name)
{
    const TiffFile file(bytes, name, kMaxPicturePixels);
    return HasSixteenBitSamples(file);
}

// Runs a decode with the image emptied on every failure and out-of-memory as a MediaError.
template <typename Body> int Decode(DibImage& image, Body&& body)
{
    image.Release();
    try {
        body();
        return 1;
    } catch (const MediaError&) {
        image.Release();
        throw;
    } catch (const std::bad_alloc&) {
        image.Release();
        throw MediaError{kMediaOutOfMemory};
    }
}

bool HasSixteenBitSamples(const TiffDirectory& primary)
{
    const std::uint32_t count = primary.EntryCount(kBitsPerSampleTag);
    std::array<std::uint32_t, 16> bits{};
    if (count == 0 || count > bits.size())
        return false;
    return Succeeded(primary.ReadValue32(kBitsPerSampleTag, std::span(bits.data(), count))) && bits[0] == 16;
}

} // namespace

int ReadTiffImage(const std::string& path, DibImage& image, bool& is16Bit)
{
    is16Bit = false;
    return Decode(image, [&] {
        {
            const TiffBytes bytes(path);
            if (!HasSixteenBitSamples(bytes, path.c_str())) {
                DecodeBytes(bytes, path.c_str(), Part::kPicture, kMaxPicturePixels, image);
                return;
            }
        }
        const std::shared_ptr<const Tiff16Library> library = ProgramTiff16Library().Acquire();
        if (library->IsTiff16(path)) {
            library->ReadImage(path, image);
            is16Bit = true;
            return;
        }
        // 16-bit samples in a layout the module does not take (a colour space it does not
        // convert, for example): libtiff's conversion still gives a picture.
        const TiffBytes bytes(path);
        DecodeBytes(bytes, path.c_str(), Part::kPicture, kMaxPicturePixels, image);
    });
}

int ReadTiffThumbnail(const std::string& path, DibImage& image)
{
    return Decode(image, [&] {
        {
            const TiffBytes bytes(path);
            if (!HasSixteenBitSamples(bytes, path.c_str())) {
                DecodeBytes(bytes, path.c_str(), Part::kReducedImage, kMaxPicturePixels, image);
                return;
            }
        }
        const std::shared_ptr<const Tiff16Library> library = ProgramTiff16Library().Acquire();
        if (library->IsTiff16(path)) {
            library->ReadThumbnail(path, image);
            return;
        }
        const TiffBytes bytes(path);
        DecodeBytes(bytes, path.c_str(), Part::kReducedImage, kMaxPicturePixels, image);
    });
}

int TiffThumbnailOrientation(const std::string& path)
{
    try {
        ExifReader reader;
        if (!Succeeded(OpenTiffTagTree(path, reader)))
            return 1;
        const int pictureOrientation = reader.Orientation();
        const int picture = pictureOrientation >= 1 && pictureOrientation <= 8 ? pictureOrientation : 1;
        const TiffDirectory* reduced = reader.Thumbnail();
        if (!reduced || !reduced->Holds(kOrientationTag, kTiffShort, 1))
            return picture;
        // A 16-bit file's thumbnail may be made from the picture rather than taken from IFD1.
        if (HasSixteenBitSamples(*reader.Primary())) {
            QWTiff16TargetInfo info{};
            const std::shared_ptr<const Tiff16Library> library = ProgramTiff16Library().Acquire();
            if (library->IsTiff16(path, &info) && !(info.flags & QWTIFF16_THUMBNAIL_EMBEDDED))
                return picture;
        }
        const int thumbnail = reader.ThumbnailOrientation();
        return thumbnail >= 1 && thumbnail <= 8 ? thumbnail : picture;
    } catch (const MediaError&) {
        return 1;
    } catch (const std::bad_alloc&) {
        return 1;
    }
}

TiffResult OpenTiffTagTree(const std::string& path, ExifReader& reader)
{
    if (const TiffResult result = reader.OpenTiffFile(path); !Succeeded(result))
        return result;
    const TiffDirectory& primary = *reader.Primary();
    if (!primary.Holds(kTiff16ExifPointerTag, kTiffLong, 1) || !HasSixteenBitSamples(primary))
        return TiffResult::kOk;
    if (Succeeded(reader.OpenTiffFile(path, kTiff16ExifPointerTag)))
        return TiffResult::kOk;
    return reader.OpenTiffFile(path);
}

int DecodeTiffBytes(std::span<const std::uint8_t> bytes, DibImage& image, std::uint64_t maxPixels)
{
    return Decode(image, [&] { DecodeBytes(TiffBytes(bytes), "memory", Part::kPicture, maxPixels, image); });
}

int DecodeTiffThumbnailBytes(std::span<const std::uint8_t> bytes, DibImage& image, std::uint64_t maxPixels)
{
    return Decode(image,
                  [&] { DecodeBytes(TiffBytes(bytes), "memory", Part::kReducedImage, maxPixels, image); });
}
