#include "formats/exif_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <utility>

namespace {

constexpr std::uint16_t kImageWidthTag = 0x0100;
constexpr std::uint16_t kImageLengthTag = 0x0101;
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kThumbnailOffsetTag = 0x0201;
constexpr std::uint16_t kThumbnailLengthTag = 0x0202;
constexpr std::uint16_t kPixelXDimensionTag = 0xA002;
constexpr std::uint16_t kPixelYDimensionTag = 0xA003;

// Exif APP1 payload: "Exif", a zero byte and one pad byte, then the TIFF header.
constexpr std::size_t kExifPreambleSize = 6;
constexpr std::array<std::uint8_t, 5> kExifSignature = {'E', 'x', 'i', 'f', 0};
// Anything up to this length (length field included) cannot hold an Exif block.
constexpr std::uint16_t kShortestExifSegment = 8;
// Thumbnails live inside the 64 KB APP1 segment.
constexpr std::uint32_t kMaxThumbnailLength = 65535;
constexpr std::uint32_t kMinThumbnailLength = 4;

// A directory pointed to from inside the tree; reading it fails the tree with `result`.
TiffResult ReadLinked(const TiffStream& tiff, const TiffDirectory& from, std::uint16_t pointerTag,
                      std::optional<TiffDirectory>& directory)
{
    std::uint32_t offset = 0;
    if (const TiffResult result = from.ReadUint32(pointerTag, offset); !Succeeded(result))
        return result;
    directory.emplace();
    return directory->Read(tiff, offset);
}

// The Exif and interoperability directories are what makes the data Exif: their failure means
// "no Exif data" (unless memory ran out).
TiffResult AsNoExif(TiffResult result)
{
    if (Succeeded(result) || result == TiffResult::kOutOfMemory)
        return result;
    return TiffResult::kNoExif;
}

// Whether the Exif directory's interoperability pointer leads into the block. Some writers
// leave it at 0 when they write no interoperability directory, and editors that shorten the
// Exif block leave it pointing past the new end; either way there is no directory to read,
// which is not a damaged tree. A pointer into the block must still lead to a sound directory.
bool PointsIntoBlock(const TiffStream& tiff, const TiffDirectory& exif)
{
    std::uint32_t offset = 0;
    if (!Succeeded(exif.ReadUint32(kInteropPointerTag, offset)))
        return true;
    return offset != 0 && offset < tiff.Length();
}

int OrientationIn(const TiffDirectory& directory)
{
    if (!directory.Holds(kOrientationTag, kTiffShort, 1))
        return 1;
    std::array<std::uint8_t, 2> bytes{};
    if (!Succeeded(directory.ReadValue(kOrientationTag, bytes)))
        return 1;
    std::uint16_t value = 0;
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

} // namespace

void ExifReader::Reset()
{
    m_file = TiffStream();
    m_tiff = TiffStream();
    m_tiffHeaderPosition = 0;
    m_frame = JpegFrameSize{};
    m_app2.clear();
    m_tree = Tree{};
}

TiffResult ExifReader::OpenJpegFile(const std::string& path)
{
    Reset();
    TiffStream file;
    if (const TiffResult result = TiffStream::OpenFile(path, file); !Succeeded(result))
        return result;
    return OpenJpeg(file);
}

TiffResult ExifReader::OpenJpeg(const TiffStream& jpeg)
{
    Reset();
    m_file = jpeg;
    const TiffResult result = ScanJpeg();
    if (!Succeeded(result))
        Reset();
    return result;
}

TiffResult ExifReader::ScanJpeg()
{
    JpegMarkerReader markers(m_file);
    if (const TiffResult result = markers.ReadStart(); !Succeeded(result))
        return result;

    bool exifFound = false;
    for (;;) {
        JpegSegment segment;
        if (const TiffResult result = markers.Next(segment); !Succeeded(result))
            return result;
        if (segment.marker == JpegMarkerReader::kStartOfScan
            || segment.marker == JpegMarkerReader::kEndOfImage)
            break;

        if (segment.marker == JpegMarkerReader::kApp1) {
            if (exifFound || segment.length <= kShortestExifSegment)
                continue;
            std::array<std::uint8_t, kExifPreambleSize> preamble{};
            if (const TiffResult result = m_file.ReadAt(segment.PayloadPosition(), preamble);
                !Succeeded(result))
                return result;
            // Other APP1 segments (XMP, for example) are skipped.
            if (!std::equal(kExifSignature.begin(), kExifSignature.end(), preamble.begin()))
                continue;
            m_tiffHeaderPosition = segment.PayloadPosition() + kExifPreambleSize;
            m_tiff = m_file.Window(m_tiffHeaderPosition, segment.PayloadLength() - kExifPreambleSize);
            if (const TiffResult result = ReadTree(m_tiff, kExifPointerTag, true, m_tree); !Succeeded(result))
                return result;
            exifFound = true;
        } else if (segment.marker == JpegMarkerReader::kApp2) {
            if (m_app2.size() < kMaxApp2Segments) {
                try {
                    m_app2.push_back({segment.position, segment.length});
                } catch (const std::bad_alloc&) {
                    return TiffResult::kOutOfMemory;
                }
            }
        } else {
            markers.ReadFrameSize(segment, m_frame);
        }
    }
    return exifFound ? TiffResult::kOk : TiffResult::kNoExif;
}

TiffResult ExifReader::OpenTiffFile(const std::string& path, std::uint16_t exifPointerTag)
{
    Reset();
    TiffStream file;
    if (const TiffResult result = TiffStream::OpenFile(path, file); !Succeeded(result))
        return result;
    return OpenTiff(file, exifPointerTag);
}

TiffResult ExifReader::OpenTiff(const TiffStream& tiff, std::uint16_t exifPointerTag)
{
    Reset();
    m_file = tiff;
    m_tiff = tiff;
    if (const TiffResult result = ReadTree(m_tiff, exifPointerTag, false, m_tree); !Succeeded(result)) {
        Reset();
        return result;
    }
    // A TIFF has no frame header; its own image size plays that part.
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (Succeeded(m_tree.primary->ReadUint32(kImageWidthTag, width))
        && Succeeded(m_tree.primary->ReadUint32(kImageLengthTag, height)))
        m_frame = JpegFrameSize{width, height, true};
    return TiffResult::kOk;
}

TiffResult ExifReader::ReadTree(const TiffStream& source, std::uint16_t exifPointerTag, bool exifRequired,
                                Tree& result)
{
    // Built aside and only then taken over, so that any failure discards everything.
    Tree tree;
    TiffStream tiff = source;
    std::uint32_t firstOffset = 0;
    if (const TiffResult status = tiff.ReadHeader(firstOffset); !Succeeded(status))
        return status;
    tree.primary.emplace();
    if (const TiffResult status = tree.primary->Read(tiff, firstOffset); !Succeeded(status))
        return status;
    const TiffDirectory& primary = *tree.primary;

    // An Exif segment exists for its Exif directory; a TIFF file's own directories stand on
    // their own, with or without one.
    const bool hasExifPointer = primary.Holds(exifPointerTag, kTiffLong, 1);
    if (!hasExifPointer && exifRequired)
        return TiffResult::kNoExif;
    if (hasExifPointer) {
        if (const TiffResult status = ReadLinked(tiff, primary, exifPointerTag, tree.exif);
            !Succeeded(status))
            return AsNoExif(status);
    }
    if (tree.exif && tree.exif->Holds(kInteropPointerTag, kTiffLong, 1) && PointsIntoBlock(tiff, *tree.exif)) {
        const TiffResult status = ReadLinked(tiff, *tree.exif, kInteropPointerTag, tree.interop);
        if (!Succeeded(status))
            return AsNoExif(status);
    }
    if (primary.NextOffset() != 0) {
        tree.thumbnail.emplace();
        if (const TiffResult status = tree.thumbnail->Read(tiff, primary.NextOffset()); !Succeeded(status))
            return status;
    }
    if (primary.Holds(kGpsPointerTag, kTiffLong, 1)) {
        if (const TiffResult status = ReadLinked(tiff, primary, kGpsPointerTag, tree.gps); !Succeeded(status))
            return status;
    }
    if (tree.thumbnail) {
        const TiffDirectory& thumbnail = *tree.thumbnail;
        if (thumbnail.Holds(kExifPointerTag, kTiffLong, 1)) {
            const TiffResult status = ReadLinked(tiff, thumbnail, kExifPointerTag, tree.thumbnailExif);
            if (!Succeeded(status))
                return status;
        }
        if (thumbnail.Holds(kGpsPointerTag, kTiffLong, 1)) {
            const TiffResult status = ReadLinked(tiff, thumbnail, kGpsPointerTag, tree.thumbnailGps);
            if (!Succeeded(status))
                return status;
        }
    }
    result = std::move(tree);
    return TiffResult::kOk;
}

PixelSize ExifReader::ImageSize() const
{
    const PixelSize frame = FrameSize();
    PixelSize exif = frame;
    if (const TiffDirectory* directory = Exif()) {
        // A zero size is as malformed as a wrong type: some writers leave the fields at 0.
        std::uint32_t value = 0;
        if (Succeeded(directory->ReadUint32(kPixelXDimensionTag, value)) && value != 0)
            exif.width = value;
        if (Succeeded(directory->ReadUint32(kPixelYDimensionTag, value)) && value != 0)
            exif.height = value;
    }
    // The frame header describes the pixels that are really there; an Exif size larger than
    // that is not believed.
    if (frame.width < exif.width || frame.height < exif.height)
        return frame;
    return exif;
}

int ExifReader::Orientation() const
{
    if (!Primary())
        return static_cast<int>(TiffResult::kNotReady);
    return OrientationIn(*Primary());
}

int ExifReader::ThumbnailOrientation() const
{
    return Thumbnail() ? OrientationIn(*Thumbnail()) : 1;
}

TiffResult ExifReader::ThumbnailLocation(std::uint32_t& offset, std::uint32_t& length) const
{
    const TiffDirectory* thumbnail = Thumbnail();
    if (!thumbnail)
        return TiffResult::kNotReady;
    const TiffEntry* offsetEntry = thumbnail->Find(kThumbnailOffsetTag);
    const TiffEntry* lengthEntry = thumbnail->Find(kThumbnailLengthTag);
    for (const TiffEntry* entry : {offsetEntry, lengthEntry}) {
        if (entry && (entry->type != kTiffLong || entry->count != 1))
            return TiffResult::kWrongTag;
    }
    offset = offsetEntry ? offsetEntry->Offset() : 0;
    length = lengthEntry ? lengthEntry->Offset() : 0;
    if (length > kMaxThumbnailLength)
        return TiffResult::kThumbnailTooLarge;
    if (offset == 0 || length < kMinThumbnailLength)
        return TiffResult::kDataMissing;
    return TiffResult::kOk;
}

TiffResult ExifReader::ThumbnailLength(std::uint32_t& length) const
{
    std::uint32_t offset = 0;
    return ThumbnailLocation(offset, length);
}

TiffResult ExifReader::ReadThumbnail(std::span<std::uint8_t> buffer) const
{
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    if (const TiffResult result = ThumbnailLocation(offset, length); !Succeeded(result))
        return result;
    if (buffer.size() < length)
        return TiffResult::kBadArgument;
    return m_file.ReadAt(m_tiffHeaderPosition + offset, buffer.first(length));
}

TiffResult ExifReader::ReadThumbnail(std::vector<std::uint8_t>& bytes) const
{
    std::uint32_t length = 0;
    if (const TiffResult result = ThumbnailLength(length); !Succeeded(result))
        return result;
    try {
        bytes.assign(length, 0);
    } catch (const std::bad_alloc&) {
        return TiffResult::kOutOfMemory;
    }
    return ReadThumbnail(std::span<std::uint8_t>(bytes));
}

TiffResult ExifReader::ThumbnailPixelSize(PixelSize& size) const
{
    const TiffDirectory* thumbnail = Thumbnail();
    if (!thumbnail)
        return TiffResult::kNotReady;
    PixelSize tagged;
    if (Succeeded(thumbnail->ReadUint32(kImageWidthTag, tagged.width))
        && Succeeded(thumbnail->ReadUint32(kImageLengthTag, tagged.height))) {
        size = tagged;
        return TiffResult::kOk;
    }
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    if (const TiffResult result = ThumbnailLocation(offset, length); !Succeeded(result))
        return result;
    JpegFrameSize frame;
    const TiffResult result = ReadJpegFrameSize(m_file.Window(m_tiffHeaderPosition + offset, length), frame);
    if (Succeeded(result))
        size = {frame.width, frame.height};
    return result;
}
