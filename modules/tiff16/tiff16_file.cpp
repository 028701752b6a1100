#include "tiff16_file.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include <tiffio.h>

#include "byte_source.h"
#include "libtiff_client.h"
#include "raw_directory.h"

namespace qwtiff16 {

namespace {

// A picture may have colour plus a few extra samples (alpha, masks); anything wider is not a
// photograph and would only make the row buffers explode.
constexpr std::uint16_t kMaxSamplesPerPixel = 8;
// The tags that point from the first directory to the Exif directory: the RAW converter's
// private tag first, since its files carry that one.
constexpr std::uint16_t kConverterExifPointerTag = 0xC4F9;
constexpr std::uint16_t kExifPointerTag = 0x8769;

using Client = LibtiffClient<ByteSource>;

// Files are always read, never mapped.
int MapProc(thandle_t, void**, toff_t*)
{
    return 0;
}

// The fields of one directory that the pixel reader needs.
struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t samplesPerPixel = 1;
    std::uint16_t photometric = 0xFFFF; // none
    std::uint16_t planarConfig = PLANARCONFIG_CONTIG;
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    std::uint16_t sampleFormat = SAMPLEFORMAT_UINT;
    std::uint32_t subfileType = 0;
    bool tiled = false;
    std::uint32_t tileWidth = 0;
    std::uint32_t tileLength = 0;
    std::uint32_t rowsPerStrip = 0;
};

Layout ReadLayout(TIFF* tif)
{
    Layout layout;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &layout.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &layout.height);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &layout.bitsPerSample);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &layout.samplesPerPixel);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &layout.photometric);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &layout.planarConfig);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &layout.compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &layout.orientation);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &layout.sampleFormat);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SUBFILETYPE, &layout.subfileType);
    layout.tiled = TIFFIsTiled(tif) != 0;
    if (layout.tiled) {
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &layout.tileWidth);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &layout.tileLength);
    } else {
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &layout.rowsPerStrip);
    }
    return layout;
}

// Grey or RGB samples of one of the given depths, unsigned, in a layout the row reader knows.
bool IsReadable(const Layout& layout, bool allowEightBits)
{
    const bool depthOk = layout.bitsPerSample == 16 || (allowEightBits && layout.bitsPerSample == 8);
    const bool grey
        = layout.photometric == PHOTOMETRIC_MINISBLACK || layout.photometric == PHOTOMETRIC_MINISWHITE;
    const bool colour = layout.photometric == PHOTOMETRIC_RGB && layout.samplesPerPixel >= 3;
    const bool planarOk
        = layout.planarConfig == PLANARCONFIG_CONTIG || layout.planarConfig == PLANARCONFIG_SEPARATE;
    const bool unitsOk
        = layout.tiled ? layout.tileWidth > 0 && layout.tileLength > 0 : layout.rowsPerStrip > 0;
    return depthOk && (grey || colour) && planarOk && unitsOk && layout.sampleFormat == SAMPLEFORMAT_UINT
        && layout.samplesPerPixel >= 1 && layout.samplesPerPixel <= kMaxSamplesPerPixel && layout.width > 0
        && layout.height > 0 && TIFFIsCODECConfigured(layout.compression);
}

std::uint64_t Stride(std::uint32_t width)
{
    return (std::uint64_t{width} * 3 + 3) & ~std::uint64_t{3};
}

std::uint64_t PackedSize(std::uint32_t width, std::uint32_t height)
{
    return 40 + Stride(width) * height;
}

void Put32(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The bitmap-info header, little-endian as the format defines it.
void WriteInfoHeader(std::uint8_t* at, std::uint32_t width, std::uint32_t height, bool topDown)
{
    std::memset(at, 0, 40);
    Put32(at, 40);
    Put32(at + 4, width);
    Put32(at + 8, topDown ? static_cast<std::uint32_t>(-static_cast<std::int32_t>(height)) : height);
    at[12] = 1;  // planes
    at[14] = 24; // bits per pixel
    Put32(at + 20, static_cast<std::uint32_t>(Stride(width) * height));
}

std::uint8_t To8(std::uint32_t sample, std::uint32_t bytesPerSample)
{
    return static_cast<std::uint8_t>(bytesPerSample == 2 ? (sample * 255 + 32767) / 65535 : sample);
}

std::uint32_t LoadSample(const std::uint8_t* at, std::uint32_t bytesPerSample)
{
    if (bytesPerSample == 1)
        return *at;
    std::uint16_t value = 0;
    std::memcpy(&value, at, 2); // libtiff has already put the samples into machine order
    return value;
}

using RowSink = std::function<void(std::uint32_t y, const std::uint8_t* bgr)>;

// Decodes the current directory strip by strip (or tile row by tile row) and hands every row,
// top to bottom, to the sink as blue-green-red bytes.
std::uint16_t ReadRows(TIFF* tif, Client& client, const Layout& layout, const RowSink& sink)
{
    const std::uint32_t bytesPerSample = layout.bitsPerSample / 8;
    const bool separate = layout.planarConfig == PLANARCONFIG_SEPARATE;
    const bool colour = layout.photometric == PHOTOMETRIC_RGB;
    const std::uint32_t planes = separate && colour ? 3 : 1;
    const std::uint32_t samplesInPlane = separate ? 1 : layout.samplesPerPixel;
    const std::uint64_t pixelBytes = std::uint64_t{samplesInPlane} * bytesPerSample;
    const std::uint64_t rowBytes = pixelBytes * layout.width;
    const std::uint32_t unitRows
        = layout.tiled ? layout.tileLength : std::min(layout.rowsPerStrip, layout.height);
    const std::uint64_t tileBytes = layout.tiled ? pixelBytes * layout.tileWidth * layout.tileLength : 0;
    // Our buffers are sized from the tags; libtiff writes what it computes itself. They must
    // agree, or a decoded strip could run past the buffer.
    if (layout.tiled ? TIFFTileSize64(tif) != tileBytes : TIFFScanlineSize64(tif) != rowBytes)
        return QWTIFF16_E_MALFORMED;

    std::vector<std::vector<std::uint8_t>> bands(planes, std::vector<std::uint8_t>(rowBytes * unitRows));
    std::vector<std::uint8_t> tile(tileBytes);
    std::vector<std::uint8_t> bgr(std::size_t{layout.width} * 3);
    client.failed = false;
    for (std::uint32_t top = 0; top < layout.height; top += unitRows) {
        const std::uint32_t rows = std::min(unitRows, layout.height - top);
        for (std::uint32_t plane = 0; plane < planes; ++plane) {
            std::uint8_t* band = bands[plane].data();
            if (!layout.tiled) {
                const auto wanted = static_cast<tmsize_t>(rowBytes * rows);
                const tmsize_t got = TIFFReadEncodedStrip(
                    tif, TIFFComputeStrip(tif, top, static_cast<std::uint16_t>(plane)), band, wanted);
                if (got < wanted || client.failed)
                    return QWTIFF16_E_DECODE;
                continue;
            }
            for (std::uint32_t left = 0; left < layout.width; left += layout.tileWidth) {
                const std::uint32_t index
                    = TIFFComputeTile(tif, left, top, 0, static_cast<std::uint16_t>(plane));
                if (TIFFReadEncodedTile(tif, index, tile.data(), static_cast<tmsize_t>(tileBytes))
                        < static_cast<tmsize_t>(tileBytes)
                    || client.failed)
                    return QWTIFF16_E_DECODE;
                const std::uint64_t columns = std::min(layout.tileWidth, layout.width - left);
                for (std::uint32_t row = 0; row < rows; ++row)
                    std::memcpy(band + row * rowBytes + left * pixelBytes,
                                tile.data() + std::uint64_t{row} * layout.tileWidth * pixelBytes,
                                columns * pixelBytes);
            }
        }
        for (std::uint32_t row = 0; row < rows; ++row) {
            const std::uint8_t* lines[3] = {};
            for (std::uint32_t plane = 0; plane < planes; ++plane)
                lines[plane] = bands[plane].data() + row * rowBytes;
            for (std::uint32_t x = 0; x < layout.width; ++x) {
                auto sample = [&](std::uint32_t channel) {
                    const std::uint8_t* at = separate ? lines[channel] + std::uint64_t{x} * bytesPerSample
                                                      : lines[0] + x * pixelBytes + channel * bytesPerSample;
                    return To8(LoadSample(at, bytesPerSample), bytesPerSample);
                };
                std::uint8_t* out = bgr.data() + std::size_t{x} * 3;
                if (colour) {
                    out[2] = sample(0);
                    out[1] = sample(1);
                    out[0] = sample(2);
                } else {
                    std::uint8_t grey = sample(0);
                    if (layout.photometric == PHOTOMETRIC_MINISWHITE)
                        grey = static_cast<std::uint8_t>(255 - grey);
                    out[0] = out[1] = out[2] = grey;
                }
            }
            sink(top + row, bgr.data());
        }
    }
    return QWTIFF16_OK;
}

// Writes rows into a packed bitmap in the caller's buffer.
class PackedWriter {
public:
    PackedWriter(std::uint8_t* buffer, std::uint32_t width, std::uint32_t height, bool topDown)
        : m_buffer(buffer)
        , m_width(width)
        , m_height(height)
        , m_topDown(topDown)
        , m_stride(Stride(width))
    {
        WriteInfoHeader(buffer, width, height, topDown);
    }

    void Row(std::uint32_t y, const std::uint8_t* bgr)
    {
        const std::uint32_t slot = m_topDown ? y : m_height - 1 - y;
        std::uint8_t* row = m_buffer + 40 + slot * m_stride;
        const std::size_t used = std::size_t{m_width} * 3;
        std::memcpy(row, bgr, used);
        std::memset(row + used, 0, m_stride - used);
    }

private:
    std::uint8_t* m_buffer;
    std::uint32_t m_width;
    std::uint32_t m_height;
    bool m_topDown;
    std::uint64_t m_stride;
};

// Reduces rows arriving top to bottom to a smaller size by averaging the source pixels that
// fall into each target pixel, so the whole picture never has to be held.
class BoxAverager {
public:
    BoxAverager(std::uint32_t sourceWidth, std::uint32_t sourceHeight, std::uint32_t width,
                std::uint32_t height, RowSink output)
        : m_sourceWidth(sourceWidth)
        , m_sourceHeight(sourceHeight)
        , m_width(width)
        , m_height(height)
        , m_output(std::move(output))
        , m_sums(std::size_t{width} * 3)
        , m_counts(width)
        , m_row(std::size_t{width} * 3)
    {
    }

    void Add(std::uint32_t y, const std::uint8_t* bgr)
    {
        const auto target = static_cast<std::uint32_t>(std::uint64_t{y} * m_height / m_sourceHeight);
        if (m_pending && target != m_target)
            Flush();
        m_target = target;
        m_pending = true;
        for (std::uint32_t x = 0; x < m_sourceWidth; ++x) {
            const auto column = static_cast<std::size_t>(std::uint64_t{x} * m_width / m_sourceWidth);
            for (std::size_t channel = 0; channel < 3; ++channel)
                m_sums[column * 3 + channel] += bgr[std::size_t{x} * 3 + channel];
            ++m_counts[column];
        }
    }

    void Finish()
    {
        if (m_pending)
            Flush();
    }

private:
    void Flush()
    {
        for (std::size_t column = 0; column < m_width; ++column) {
            const std::uint64_t count = std::max<std::uint64_t>(m_counts[column], 1);
            for (std::size_t channel = 0; channel < 3; ++channel)
                m_row[column * 3 + channel]
                    = static_cast<std::uint8_t>((m_sums[column * 3 + channel] + count / 2) / count);
        }
        m_output(m_target, m_row.data());
        std::fill(m_sums.begin(), m_sums.end(), 0);
        std::fill(m_counts.begin(), m_counts.end(), 0);
        m_pending = false;
    }

    std::uint32_t m_sourceWidth;
    std::uint32_t m_sourceHeight;
    std::uint32_t m_width;
    std::uint32_t m_height;
    RowSink m_output;
    std::vector<std::uint64_t> m_sums;
    std::vector<std::uint64_t> m_counts;
    std::vector<std::uint8_t> m_row;
    std::uint32_t m_target = 0;
    bool m_pending = false;
};

// The size of a thumbnail made from a picture: fitted into the box, never enlarged.
void FitThumbnail(std::uint32_t width, std::uint32_t height, std::uint32_t& fittedWidth,
                  std::uint32_t& fittedHeight)
{
    if (width <= kThumbnailBoxWidth && height <= kThumbnailBoxHeight) {
        fittedWidth = width;
        fittedHeight = height;
    } else if (std::uint64_t{width} * kThumbnailBoxHeight >= std::uint64_t{height} * kThumbnailBoxWidth) {
        fittedWidth = kThumbnailBoxWidth;
        fittedHeight = static_cast<std::uint32_t>(
            std::max<std::uint64_t>(1, (std::uint64_t{height} * kThumbnailBoxWidth + width / 2) / width));
    } else {
        fittedHeight = kThumbnailBoxHeight;
        fittedWidth = static_cast<std::uint32_t>(
            std::max<std::uint64_t>(1, (std::uint64_t{width} * kThumbnailBoxHeight + height / 2) / height));
    }
}

} // namespace

struct Tiff16File::State {
    // Destroyed in reverse order: libtiff's handle goes before the client and the bytes it reads.
    std::unique_ptr<ByteSource> source;
    Client client;
    std::unique_ptr<TIFF, TiffCloser> tif;
    Limits limits;

    Layout picture;
    std::uint16_t targetStatus = QWTIFF16_E_NOT_TARGET;
    bool embeddedThumbnail = false;
    Layout thumbnail; // IFD1, when embeddedThumbnail
    std::uint32_t thumbnailWidth = 0;
    std::uint32_t thumbnailHeight = 0;

    RawDirectory primaryHeader;
    RawDirectory exifHeader;
};

Tiff16File::Tiff16File(std::unique_ptr<State> state)
    : m_state(std::move(state))
{
}

Tiff16File::~Tiff16File() = default;

std::uint16_t Tiff16File::OpenFile(const char* path, const Limits& limits, std::unique_ptr<Tiff16File>& file)
{
    std::unique_ptr<ByteSource> source = ByteSource::OpenFile(path);
    if (!source)
        return QWTIFF16_E_OPEN;
    return OpenSource(std::move(source), limits, file);
}

std::uint16_t Tiff16File::OpenMemory(std::span<const std::uint8_t> bytes, const Limits& limits,
                                     std::unique_ptr<Tiff16File>& file)
{
    return OpenSource(ByteSource::FromMemory(bytes), limits, file);
}

std::uint16_t Tiff16File::OpenSource(std::unique_ptr<ByteSource> source, const Limits& limits,
                                     std::unique_ptr<Tiff16File>& file)
{
    auto state = std::make_unique<State>();
    state->source = std::move(source);
    state->limits = limits;
    file.reset(new Tiff16File(std::move(state)));
    const std::uint16_t result = file->Inspect();
    if (result != QWTIFF16_OK)
        file.reset();
    return result;
}

std::uint16_t Tiff16File::Inspect()
{
    State& state = *m_state;
    state.client.source = state.source.get();
    std::unique_ptr<TIFFOpenOptions, OptionsFreer> options(TIFFOpenOptionsAlloc());
    if (!options)
        return QWTIFF16_E_MEMORY;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Client::OnError, &state.client);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Client::OnWarning, &state.client);
    // No single buffer beyond what the largest accepted picture needs (16-bit samples, with
    // room for extra samples), whatever a damaged directory declares.
    TIFFOpenOptionsSetMaxSingleMemAlloc(
        options.get(), static_cast<tmsize_t>(state.limits.maxPixels * 2 * kMaxSamplesPerPixel + (1 << 20)));
    // "m": no memory mapping; every byte comes through the read procedure above.
    state.tif.reset(TIFFClientOpenExt("QWTIFF16", "rm", &state.client, Client::Read, Client::Write,
                                      Client::Seek, Client::Close, Client::Size, MapProc, Client::Unmap,
                                      options.get()));
    if (!state.tif)
        return QWTIFF16_E_OPEN;
    TIFF* tif = state.tif.get();
    state.picture = ReadLayout(tif);
    if (!IsReadable(state.picture, false))
        state.targetStatus = QWTIFF16_E_NOT_TARGET;
    else if (std::uint64_t{state.picture.width} * state.picture.height > state.limits.maxPixels)
        state.targetStatus = QWTIFF16_E_TOO_LARGE;
    else
        state.targetStatus = QWTIFF16_OK;
    if (state.targetStatus != QWTIFF16_OK)
        return QWTIFF16_OK;

    // The reduced image of IFD1 serves as the thumbnail when the row reader can read it;
    // a damaged IFD1 only means that the thumbnail is made from the picture.
    if (TIFFSetDirectory(tif, 1)) {
        const Layout reduced = ReadLayout(tif);
        if ((reduced.subfileType & FILETYPE_REDUCEDIMAGE) && IsReadable(reduced, true)
            && std::uint64_t{reduced.width} * reduced.height
                <= std::uint64_t{state.picture.width} * state.picture.height) {
            state.embeddedThumbnail = true;
            state.thumbnail = reduced;
            state.thumbnailWidth = reduced.width;
            state.thumbnailHeight = reduced.height;
        }
    }
    if (!TIFFSetDirectory(tif, 0))
        return QWTIFF16_E_MALFORMED;
    state.client.failed = false;
    if (!state.embeddedThumbnail)
        FitThumbnail(state.picture.width, state.picture.height, state.thumbnailWidth, state.thumbnailHeight);
    return QWTIFF16_OK;
}

void Tiff16File::PictureSize(std::uint32_t& width, std::uint32_t& height) const
{
    width = m_state->picture.width;
    height = m_state->picture.height;
}

std::uint16_t Tiff16File::TargetStatus() const
{
    return m_state->targetStatus;
}

void Tiff16File::FillTargetInfo(QWTiff16TargetInfo& info) const
{
    const State& state = *m_state;
    info = QWTiff16TargetInfo{};
    info.width = state.picture.width;
    info.height = state.picture.height;
    info.bitsPerSample = state.picture.bitsPerSample;
    info.samplesPerPixel = state.picture.samplesPerPixel;
    info.photometric = state.picture.photometric;
    info.planarConfig = state.picture.planarConfig;
    info.compression = state.picture.compression;
    info.orientation = state.picture.orientation;
    if (state.targetStatus == QWTIFF16_OK) {
        info.thumbnailWidth = state.thumbnailWidth;
        info.thumbnailHeight = state.thumbnailHeight;
        info.flags = state.embeddedThumbnail ? QWTIFF16_THUMBNAIL_EMBEDDED : 0;
    }
}

std::uint64_t Tiff16File::ImageBufferSize() const
{
    return m_state->targetStatus == QWTIFF16_OK ? PackedSize(m_state->picture.width, m_state->picture.height)
                                                : 0;
}

std::uint64_t Tiff16File::ThumbnailBufferSize() const
{
    return m_state->targetStatus == QWTIFF16_OK
        ? PackedSize(m_state->thumbnailWidth, m_state->thumbnailHeight)
        : 0;
}

std::uint16_t Tiff16File::ReadImage(std::uint8_t* buffer, std::uint64_t size, bool topDown)
{
    State& state = *m_state;
    if (state.targetStatus != QWTIFF16_OK)
        return state.targetStatus;
    if (size < ImageBufferSize())
        return QWTIFF16_E_BUFFER;
    if (!TIFFSetDirectory(state.tif.get(), 0))
        return QWTIFF16_E_MALFORMED;
    PackedWriter writer(buffer, state.picture.width, state.picture.height, topDown);
    return ReadRows(state.tif.get(), state.client, state.picture,
                    [&writer](std::uint32_t y, const std::uint8_t* bgr) { writer.Row(y, bgr); });
}

std::uint16_t Tiff16File::ReadThumbnail(std::uint8_t* buffer, std::uint64_t size, bool topDown)
{
    State& state = *m_state;
    if (state.targetStatus != QWTIFF16_OK)
        return state.targetStatus;
    if (size < ThumbnailBufferSize())
        return QWTIFF16_E_BUFFER;
    PackedWriter writer(buffer, state.thumbnailWidth, state.thumbnailHeight, topDown);
    auto write = [&writer](std::uint32_t y, const std::uint8_t* bgr) { writer.Row(y, bgr); };
    if (state.embeddedThumbnail) {
        if (!TIFFSetDirectory(state.tif.get(), 1))
            return QWTIFF16_E_MALFORMED;
        const std::uint16_t result = ReadRows(state.tif.get(), state.client, state.thumbnail, write);
        // The picture's directory is made current again for the next call on this context.
        const bool restored = TIFFSetDirectory(state.tif.get(), 0) != 0;
        if (result != QWTIFF16_OK)
            return result;
        return restored ? QWTIFF16_OK : QWTIFF16_E_MALFORMED;
    }
    if (!TIFFSetDirectory(state.tif.get(), 0))
        return QWTIFF16_E_MALFORMED;
    BoxAverager averager(state.picture.width, state.picture.height, state.thumbnailWidth,
                         state.thumbnailHeight, write);
    const std::uint16_t result
        = ReadRows(state.tif.get(), state.client, state.picture,
                   [&averager](std::uint32_t y, const std::uint8_t* bgr) { averager.Add(y, bgr); });
    if (result == QWTIFF16_OK)
        averager.Finish();
    return result;
}

std::uint16_t Tiff16File::ParseHeader()
{
    State& state = *m_state;
    bool bigEndian = false;
    std::uint32_t offset = 0;
    if (const std::uint16_t result = ReadRawHeader(*state.source, bigEndian, offset); result != QWTIFF16_OK)
        return result;
    return state.primaryHeader.Read(*state.source, bigEndian, offset);
}

std::uint16_t Tiff16File::ParseExifHeader()
{
    State& state = *m_state;
    bool bigEndian = false;
    std::uint32_t offset = 0;
    if (const std::uint16_t result = ReadRawHeader(*state.source, bigEndian, offset); result != QWTIFF16_OK)
        return result;
    RawDirectory primary;
    if (const std::uint16_t result = primary.Read(*state.source, bigEndian, offset); result != QWTIFF16_OK)
        return result;
    std::uint32_t exifOffset = 0;
    if (!primary.ReadOffset(kConverterExifPointerTag, exifOffset)
        && !primary.ReadOffset(kExifPointerTag, exifOffset))
        return QWTIFF16_E_NO_EXIF;
    return state.exifHeader.Read(*state.source, bigEndian, exifOffset);
}

std::uint16_t Tiff16File::QueryType(bool exif, std::uint16_t tag, QWTiff16TagInfo& info) const
{
    const RawDirectory& directory = exif ? m_state->exifHeader : m_state->primaryHeader;
    if (!directory.IsRead())
        return QWTIFF16_E_NOT_PARSED;
    const RawEntry* entry = directory.Find(tag);
    if (!entry)
        return QWTIFF16_E_NO_TAG;
    info = QWTiff16TagInfo{};
    info.tag = entry->tag;
    info.type = entry->type;
    info.count = entry->count;
    info.byteSize = RawDirectory::ByteSize(*entry);
    return QWTIFF16_OK;
}

std::uint16_t Tiff16File::QueryValue(bool exif, std::uint16_t tag, std::uint8_t* buffer,
                                     std::uint64_t size) const
{
    const RawDirectory& directory = exif ? m_state->exifHeader : m_state->primaryHeader;
    if (!directory.IsRead())
        return QWTIFF16_E_NOT_PARSED;
    const RawEntry* entry = directory.Find(tag);
    if (!entry)
        return QWTIFF16_E_NO_TAG;
    return directory.ReadValue(*entry, buffer, size);
}

} // namespace qwtiff16
