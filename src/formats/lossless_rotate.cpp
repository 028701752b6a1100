#include "formats/lossless_rotate.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <optional>
#include <span>
#include <unistd.h>

#include <turbojpeg.h>

#include "formats/exif_block_builder.h"
#include "formats/exif_reader.h"
#include "formats/exif_writer.h"
#include "formats/image_transform.h"
#include "formats/jpeg_decode.h"
#include "formats/jpeg_encode.h"
#include "formats/jpeg_exif.h"
#include "formats/new_file_tags.h"
#include "formats/tag_set.h"
#include "formats/tag_set_reader.h"
#include "formats/tiff_stream.h"
#include "framework/atomic_file.h"
#include "library/dib_image.h"
#include "library/media_error.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr unsigned char kSoi = 0xD8;
constexpr unsigned char kSos = 0xDA;
constexpr unsigned char kEoi = 0xD9;
constexpr unsigned char kApp1 = 0xE1;
constexpr unsigned char kCom = 0xFE;

// The Exif orientation whose upright turn equals the user's turn: NormaliseOrientation then
// maps the subject points exactly as the pixels move.
constexpr std::uint16_t OrientationOfTurn(RotationTurn turn)
{
    return turn == RotationTurn::Clockwise ? 6 : 8;
}

// One marker segment before the picture data, by position in the file (marker included).
struct Segment {
    unsigned char marker = 0;
    std::size_t offset = 0;
    std::size_t size = 0; // marker, length and payload
};

bool IsApplicationOrComment(unsigned char marker)
{
    return (marker >= 0xE0 && marker <= 0xEF) || marker == kCom;
}

bool IsExifSegment(std::string_view file, const Segment& segment)
{
    static constexpr std::string_view kExifHeader{"Exif\0\0", 6};
    return segment.marker == kApp1 && segment.size >= 4 + kExifHeader.size() &&
           file.substr(segment.offset + 4, kExifHeader.size()) == kExifHeader;
}

// The segments from SOI to SOS; none when the marker structure is broken before SOS.
std::optional<std::vector<Segment>> ReadSegments(std::string_view file)
{
    std::vector<Segment> segments;
    std::size_t position = 2;
    while (true) {
        if (position + 4 > file.size() || static_cast<unsigned char>(file[position]) != 0xFF)
            return std::nullopt;
        // Fill bytes (repeated 0xFF) may precede a marker.
        while (position + 1 < file.size() && static_cast<unsigned char>(file[position + 1]) == 0xFF)
            ++position;
        if (position + 4 > file.size())
            return std::nullopt;
        const auto marker = static_cast<unsigned char>(file[position + 1]);
        if (marker == kSoi || marker == kEoi || (marker >= 0xD0 && marker <= 0xD7))
            return std::nullopt;
        const std::size_t length = (static_cast<unsigned char>(file[position + 2]) << 8) |
                                   static_cast<unsigned char>(file[position + 3]);
        if (length < 2 || position + 2 + length > file.size())
            return std::nullopt;
        if (marker == kSos)
            return segments;
        segments.push_back({marker, position, 2 + length});
        position += 2 + length;
    }
}

void AppendSegment(Bytes& out, unsigned char marker, std::span<const std::uint8_t> payload)
{
    const std::size_t length = payload.size() + 2;
    out.insert(out.end(), {0xFF, marker, static_cast<unsigned char>(length >> 8),
                           static_cast<unsigned char>(length & 0xFF)});
    out.insert(out.end(), payload.begin(), payload.end());
}

// The transformed picture's bytes from its first table on: its SOI and whatever APP and COM
// segments the library wrote go, since the original's take their place.
std::optional<std::size_t> StartOfTables(std::span<const unsigned char> jpeg)
{
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != kSoi)
        return std::nullopt;
    std::size_t position = 2;
    while (position + 4 <= jpeg.size() && jpeg[position] == 0xFF && IsApplicationOrComment(jpeg[position + 1])) {
        const std::size_t length = (jpeg[position + 2] << 8) | jpeg[position + 3];
        position += 2 + length;
    }
    if (position >= jpeg.size())
        return std::nullopt;
    return position;
}

// Owns a TurboJPEG handle and the buffers it allocates.
class Transformer {
public:
    Transformer() : m_handle(tjInitTransform()) {}
    ~Transformer()
    {
        if (m_output)
            tjFree(m_output);
        if (m_handle)
            tjDestroy(m_handle);
    }
    Transformer(const Transformer&) = delete;
    Transformer& operator=(const Transformer&) = delete;

    bool IsReady() const { return m_handle != nullptr; }

    bool ReadHeader(std::string_view file, int& width, int& height, int& subsampling)
    {
        int colourspace = 0;
        return tjDecompressHeader3(m_handle, Data(file), static_cast<unsigned long>(file.size()), &width, &height,
                                   &subsampling, &colourspace) == 0;
    }

    // Warnings (corrupt or missing data) count as failures: a damaged picture is never
    // written back half-turned.
    bool Rotate(std::string_view file, RotationTurn turn, bool trim)
    {
        tjtransform transform{};
        transform.op = turn == RotationTurn::Clockwise ? TJXOP_ROT90 : TJXOP_ROT270;
        transform.options = TJXOPT_COPYNONE | (trim ? TJXOPT_TRIM : TJXOPT_PERFECT);
        unsigned long size = 0;
        const int status = tjTransform(m_handle, Data(file), static_cast<unsigned long>(file.size()), 1, &m_output,
                                       &size, &transform, TJFLAG_STOPONWARNING);
        if (status != 0)
            return false;
        m_size = size;
        return true;
    }

    std::span<const unsigned char> Output() const { return {m_output, m_size}; }

private:
    static const unsigned char* Data(std::string_view file)
    {
        return reinterpret_cast<const unsigned char*>(file.data());
    }

    tjhandle m_handle = nullptr;
    unsigned char* m_output = nullptr;
    std::size_t m_size = 0;
};

// The embedded thumbnail turned like the picture and compressed again; empty when the
// picture has none (or it cannot be decoded: a thumbnail is not worth refusing the turn).
std::vector<std::uint8_t> TurnedThumbnail(const ExifReader& reader, RotationTurn turn)
{
    DibImage thumbnail;
    if (ReadExifThumbnail(reader, thumbnail) != 1 || thumbnail.BitsPerPixel() != 24)
        return {};
    const int transform = turn == RotationTurn::Clockwise ? 1 : 3;
    if (TransformImage(&thumbnail, &thumbnail, transform) != 0)
        return {};
    std::vector<std::uint8_t> jpeg;
    if (EncodeJpegPicture(thumbnail, kThumbnailEncoderParameter, {}, jpeg) != JpegEncodeResult::kOk)
        return {};
    return jpeg;
}

// The Exif payload of the turned picture. `width` x `height` is the size before the turn,
// `turnedWidth` x `turnedHeight` the size after it (smaller than exchanged when trimmed).
LosslessRotateResult BuildTurnedExif(std::string_view file, RotationTurn turn, std::uint32_t width,
                                     std::uint32_t height, std::uint32_t turnedWidth, std::uint32_t turnedHeight,
                                     std::vector<std::uint8_t>& payload)
{
    ExifReader reader;
    TagSet tags;
    try {
        const TiffStream stream = TiffStream::FromBytes(std::vector<std::uint8_t>(file.begin(), file.end()));
        if (!OpenJpegExif(reader, stream))
            return LosslessRotateResult::Damaged;
        ReadTagSet(reader, TagReadMode::kFull, tags);
    } catch (const MediaError& error) {
        return error.code == -1 ? LosslessRotateResult::OutOfMemory : LosslessRotateResult::Damaged;
    } catch (const std::bad_alloc&) {
        return LosslessRotateResult::OutOfMemory;
    }
    const std::uint16_t orientation = OrientationOfTurn(turn);
    std::uint8_t value[sizeof orientation];
    std::memcpy(value, &orientation, sizeof orientation);
    if (tags.Set(TagMap::kPrimary, kOrientationTag, kTiffShort, 1, value) != TiffResult::kOk)
        return LosslessRotateResult::OutOfMemory;
    NormaliseOrientationTags(width, height, tags);

    const std::vector<std::uint8_t> thumbnail = TurnedThumbnail(reader, turn);
    switch (BuildExifBlock(tags, turnedWidth, turnedHeight, thumbnail, payload)) {
    case ExifBlockResult::kOk:
        return LosslessRotateResult::Rotated;
    case ExifBlockResult::kOutOfMemory:
        return LosslessRotateResult::OutOfMemory;
    case ExifBlockResult::kTooLarge:
    case ExifBlockResult::kBadTag:
        break;
    }
    return LosslessRotateResult::Damaged;
}

LosslessRotateResult Rotate(std::string_view file, RotationTurn turn, EdgePolicy policy, Bytes& rotated)
{
    if (file.size() < 4 || static_cast<unsigned char>(file[0]) != 0xFF ||
        static_cast<unsigned char>(file[1]) != kSoi)
        return LosslessRotateResult::NotJpeg;
    const std::optional<std::vector<Segment>> segments = ReadSegments(file);
    if (!segments)
        return LosslessRotateResult::Damaged;

    Transformer transformer;
    if (!transformer.IsReady())
        return LosslessRotateResult::OutOfMemory;
    int width = 0;
    int height = 0;
    int subsampling = 0;
    if (!transformer.ReadHeader(file, width, height, subsampling) || subsampling < 0 || subsampling >= TJ_NUMSAMP)
        return LosslessRotateResult::Damaged;
    // Only the edge that a turn moves to the left or top needs whole MCUs: partial blocks may
    // end a row or column, never start one. Clockwise that is the bottom edge, else the right.
    const bool aligned = turn == RotationTurn::Clockwise ? height % tjMCUHeight[subsampling] == 0
                                                          : width % tjMCUWidth[subsampling] == 0;
    if (!aligned && policy == EdgePolicy::Refuse)
        return LosslessRotateResult::NotMcuAligned;
    if (!transformer.Rotate(file, turn, !aligned))
        return LosslessRotateResult::Damaged;
    const std::span<const unsigned char> turned = transformer.Output();
    const std::optional<std::size_t> tables = StartOfTables(turned);
    if (!tables)
        return LosslessRotateResult::Damaged;

    int turnedWidth = 0;
    int turnedHeight = 0;
    int turnedSubsampling = 0;
    const std::string_view turnedFile(reinterpret_cast<const char*>(turned.data()), turned.size());
    if (!transformer.ReadHeader(turnedFile, turnedWidth, turnedHeight, turnedSubsampling))
        return LosslessRotateResult::Damaged;

    try {
        rotated.clear();
        rotated.reserve(turned.size() + file.size() / 8);
        rotated.insert(rotated.end(), {0xFF, kSoi});
        bool exifDone = false;
        for (const Segment& segment : *segments) {
            if (!IsApplicationOrComment(segment.marker))
                continue; // tables and the frame header come from the transformed picture
            if (IsExifSegment(file, segment) && !exifDone) {
                std::vector<std::uint8_t> payload;
                const LosslessRotateResult result =
                    BuildTurnedExif(file, turn, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                                    static_cast<std::uint32_t>(turnedWidth), static_cast<std::uint32_t>(turnedHeight),
                                    payload);
                if (result != LosslessRotateResult::Rotated) {
                    rotated.clear();
                    return result;
                }
                AppendSegment(rotated, kApp1, payload);
                exifDone = true;
                continue;
            }
            const auto* begin = reinterpret_cast<const unsigned char*>(file.data()) + segment.offset;
            rotated.insert(rotated.end(), begin, begin + segment.size);
        }
        rotated.insert(rotated.end(), turned.begin() + static_cast<std::ptrdiff_t>(*tables), turned.end());
    } catch (const std::bad_alloc&) {
        rotated.clear();
        return LosslessRotateResult::OutOfMemory;
    }
    return LosslessRotateResult::Rotated;
}

std::optional<std::string> ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return content;
}

} // namespace

LosslessRotateResult RotateJpegBytes(std::string_view file, RotationTurn turn, EdgePolicy policy, Bytes& rotated)
{
    rotated.clear();
    return Rotate(file, turn, policy, rotated);
}

LosslessRotateResult RotateJpegFile(const std::string& path, RotationTurn turn, EdgePolicy policy)
{
    std::optional<std::string> file;
    try {
        file = ReadWholeFile(path);
    } catch (const std::bad_alloc&) {
        return LosslessRotateResult::OutOfMemory;
    }
    if (!file)
        return LosslessRotateResult::NotJpeg;
    if (access(path.c_str(), W_OK) != 0 && errno != ENOENT)
        return LosslessRotateResult::ReadOnly;

    Bytes rotated;
    if (const LosslessRotateResult result = Rotate(*file, turn, policy, rotated);
        result != LosslessRotateResult::Rotated)
        return result;
    const std::string_view content(reinterpret_cast<const char*>(rotated.data()), rotated.size());
    if (WriteFileAtomically(path, content) != 0)
        return LosslessRotateResult::WriteFailed;
    return LosslessRotateResult::Rotated;
}

const char* LosslessRotateResultText(LosslessRotateResult result)
{
    switch (result) {
    case LosslessRotateResult::Rotated:
        return "The picture was turned.";
    case LosslessRotateResult::NotJpeg:
        return "The file is not a JPEG picture.";
    case LosslessRotateResult::NotMcuAligned:
        return "The picture's size does not allow a lossless turn without trimming its edges.";
    case LosslessRotateResult::ReadOnly:
        return "The picture is read-only.";
    case LosslessRotateResult::WriteFailed:
        return "The turned picture could not be written.";
    case LosslessRotateResult::Damaged:
        return "The picture is damaged.";
    case LosslessRotateResult::OutOfMemory:
        return "There is not enough memory to turn the picture.";
    }
    return "Unknown result.";
}
