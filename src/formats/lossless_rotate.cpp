#include "formats/lossless_rotate.h"

#include <algorithm>
#include <array>
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

#include "formats/exif_reader.h"
#include "formats/image_transform.h"
#include "formats/jpeg_decode.h"
#include "formats/jpeg_encode.h"
#include "formats/new_file_tags.h"
#include "formats/tag_set.h"
#include "formats/tiff_block_editor.h"
#include "formats/tiff_stream.h"
#include "framework/atomic_file.h"
#include "library/dib_image.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kPixelXTag = 0xA002;
constexpr std::uint16_t kPixelYTag = 0xA003;
constexpr std::uint16_t kImageWidthTag = 0x0100;
constexpr std::uint16_t kImageLengthTag = 0x0101;
constexpr unsigned char kSoi = 0xD8;
constexpr unsigned char kSos = 0xDA;
constexpr unsigned char kEoi = 0xD9;
constexpr unsigned char kApp1 = 0xE1;
constexpr unsigned char kCom = 0xFE;

// One lossless transform: libturbojpeg's operation, the same transform of a decoded image
// (TransformImage, for the thumbnail), and the Exif orientation whose upright transform it is,
// through which the subject points are mapped exactly as the pixels move. Partial blocks may end
// a row or column, never start one, so an edge that moves to the left or top must be whole.
struct Transform {
    int operation;
    int imageTransform;
    int orientation;
    bool exchangesSides;
    bool movesRightEdge;  // to the left or the top
    bool movesBottomEdge; // to the top or the left
};

// clang-format off
constexpr std::array<Transform, 7> kTransforms = {{
    // operation        image  orientation  exchanges  right  bottom
    {TJXOP_HFLIP,       4,     2,           false,     true,  false},
    {TJXOP_ROT180,      2,     3,           false,     true,  true},
    {TJXOP_VFLIP,       5,     4,           false,     false, true},
    {TJXOP_TRANSPOSE,   6,     5,           true,      false, false},
    {TJXOP_ROT90,       1,     6,           true,      false, true},
    {TJXOP_TRANSVERSE,  7,     7,           true,      true,  true},
    {TJXOP_ROT270,      3,     8,           true,      true,  false},
}};
// clang-format on

// The transform that turns a picture of this orientation upright; none for 1 and anything
// outside 2 to 8.
const Transform* UprightTransform(int orientation)
{
    const auto* row = std::find_if(kTransforms.begin(), kTransforms.end(),
                                   [orientation](const Transform& t) { return t.orientation == orientation; });
    return row == kTransforms.end() ? nullptr : row;
}

// The stored pixels stay as they are and only the tags say upright: the turn of a picture
// whose orientation already shows it the way the user wants it.
constexpr Transform kKeepPixels{TJXOP_NONE, 0, 1, false, false, false};

// What each orientation's upright transform does to a point (x, y) about the centre, with y
// downwards: (a x + b y, c x + d y).
struct PointMap {
    int a, b, c, d;
    friend bool operator==(const PointMap&, const PointMap&) = default;
};
constexpr std::array<PointMap, 9> kUprightMaps = {{
    {0, 0, 0, 0}, // no orientation 0
    {1, 0, 0, 1},
    {-1, 0, 0, 1},
    {-1, 0, 0, -1},
    {1, 0, 0, -1},
    {0, 1, 1, 0},
    {0, -1, 1, 0}, // a quarter turn clockwise
    {0, -1, -1, 0},
    {0, 1, -1, 0}, // a quarter turn counter-clockwise
}};

int OrientationOfTurn(RotationTurn turn)
{
    switch (turn) {
    case RotationTurn::Clockwise: return 6;
    case RotationTurn::CounterClockwise: return 8;
    case RotationTurn::HalfTurn: break;
    }
    return 3;
}

// The user turns the picture as it is shown, that is the stored picture after its
// orientation's upright transform: the transform to apply to the stored pixels is the turn
// after that upright transform.
const Transform& TransformOf(RotationTurn turn, int orientation)
{
    if (orientation < 1 || orientation > 8)
        orientation = 1;
    const PointMap& shown = kUprightMaps[static_cast<std::size_t>(orientation)];
    const PointMap& user = kUprightMaps[static_cast<std::size_t>(OrientationOfTurn(turn))];
    const PointMap wanted{user.a * shown.a + user.b * shown.c, user.a * shown.b + user.b * shown.d,
                          user.c * shown.a + user.d * shown.c, user.c * shown.b + user.d * shown.d};
    for (int candidate = 2; candidate <= 8; ++candidate)
        if (kUprightMaps[static_cast<std::size_t>(candidate)] == wanted)
            return *UprightTransform(candidate);
    return kKeepPixels;
}

// The thumbnail's encoder parameters, best first: when the turned thumbnail does not fit the
// Exif segment, it is compressed harder.
constexpr std::array<int, 6> kThumbnailParameters = {kThumbnailEncoderParameter, 256, 512, 1024, 2048, 4096};

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
    bool Rotate(std::string_view file, const Transform& operation, bool trim)
    {
        tjtransform transform{};
        transform.op = operation.operation;
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

// The embedded thumbnail decoded and transformed like the picture; empty when the picture has
// none or it cannot be decoded (a thumbnail is not worth refusing the turn: it is then kept).
DibImage TurnedThumbnail(const ExifReader& reader, const Transform& transform)
{
    DibImage thumbnail;
    if (ReadExifThumbnail(reader, thumbnail) != 1 || thumbnail.BitsPerPixel() != 24
        || TransformImage(&thumbnail, &thumbnail, transform.imageTransform) != 0)
        return {};
    return thumbnail;
}

LosslessRotateResult ResultOf(TiffEditResult result)
{
    switch (result) {
    case TiffEditResult::kOk:
    case TiffEditResult::kNoExif: return LosslessRotateResult::Rotated;
    case TiffEditResult::kTooLarge: return LosslessRotateResult::ExifTooLarge;
    case TiffEditResult::kOutOfMemory: return LosslessRotateResult::OutOfMemory;
    case TiffEditResult::kDamaged: break;
    }
    return LosslessRotateResult::Damaged;
}

TiffBlockEditor::Directory DirectoryOf(TagMap map)
{
    return map == TagMap::kMakerNote ? TiffBlockEditor::Directory::kMakersNote
         : map == TagMap::kPrimary   ? TiffBlockEditor::Directory::kPrimary
                                     : TiffBlockEditor::Directory::kExif;
}

// The tag edits of a turn, all in place (the thumbnail's come with the thumbnail). `source` is
// the stored picture as far as it was turned (without trimmed edge blocks), `turned` the new size.
void EditTurnedTags(TiffBlockEditor& editor, const Transform& transform, PixelSize source, PixelSize turned)
{
    using Directory = TiffBlockEditor::Directory;
    const std::int64_t upright[] = {1};
    editor.SetNumbers(Directory::kPrimary, kOrientationTag, upright);
    const std::int64_t width[] = {turned.width};
    const std::int64_t height[] = {turned.height};
    editor.SetNumbers(Directory::kExif, kPixelXTag, width);
    editor.SetNumbers(Directory::kExif, kPixelYTag, height);
    for (const OrientedCoordinateTag& row : kOrientedCoordinateTags) {
        const Directory directory = DirectoryOf(row.map);
        std::optional<std::vector<std::int64_t>> values = editor.Numbers(directory, row.tag);
        if (!values || values->size() < row.minCount || values->size() > row.maxCount)
            continue;
        MapOrientedCoordinates(transform.orientation, source.width, source.height, *values);
        editor.SetNumbers(directory, row.tag, *values);
    }
}

// IFD1's own tags describe the new thumbnail, whose pixels are upright too.
void EditThumbnailTags(TiffBlockEditor& editor, const Transform& transform)
{
    using Directory = TiffBlockEditor::Directory;
    const std::int64_t upright[] = {1};
    editor.SetNumbers(Directory::kThumbnail, kOrientationTag, upright);
    if (!transform.exchangesSides)
        return;
    const auto thumbnailWidth = editor.Numbers(Directory::kThumbnail, kImageWidthTag);
    const auto thumbnailHeight = editor.Numbers(Directory::kThumbnail, kImageLengthTag);
    if (thumbnailWidth && thumbnailHeight && thumbnailWidth->size() == 1 && thumbnailHeight->size() == 1) {
        editor.SetNumbers(Directory::kThumbnail, kImageWidthTag, *thumbnailHeight);
        editor.SetNumbers(Directory::kThumbnail, kImageLengthTag, *thumbnailWidth);
    }
}

// The Exif payload of the turned picture: the segment's own preamble and its TIFF block with
// the turn's edits. `source` and `turned` as for EditTurnedTags.
LosslessRotateResult BuildTurnedExif(std::string_view file, const Segment& segment, const Transform& transform,
                                     PixelSize source, PixelSize turned, std::vector<std::uint8_t>& payload)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
    ExifReader reader;
    const TiffStream stream = TiffStream::FromBytes(std::vector<std::uint8_t>(bytes, bytes + file.size()));
    if (const TiffResult result = reader.OpenJpeg(stream); !Succeeded(result))
        return result == TiffResult::kOutOfMemory ? LosslessRotateResult::OutOfMemory : LosslessRotateResult::Damaged;
    const std::size_t preamble = segment.offset + 4;
    const std::size_t blockStart = preamble + kExifPreambleSize;
    // Only a tree that the program itself reads from this very segment is changed.
    if (reader.TiffHeaderPosition() != blockStart)
        return LosslessRotateResult::Damaged;
    const std::span<const std::uint8_t> block(bytes + blockStart, segment.offset + segment.size - blockStart);
    const TiffByteOrder order{block[0] == 'M'};

    // Pixels that stay keep their thumbnail.
    const DibImage thumbnail = transform.operation == TJXOP_NONE ? DibImage() : TurnedThumbnail(reader, transform);
    for (const int parameter : kThumbnailParameters) {
        TiffBlockEditor editor(std::vector<std::uint8_t>(block.begin(), block.end()), order);
        if (const TiffEditResult result = editor.ReadDirectories(reader);
            result != TiffEditResult::kOk && result != TiffEditResult::kNoExif)
            return ResultOf(result);
        if (const TiffEditResult result = editor.ReadThumbnailAndNote(); result != TiffEditResult::kOk)
            return ResultOf(result);
        EditTurnedTags(editor, transform, source, turned);
        if (!thumbnail.IsEmpty()) {
            std::vector<std::uint8_t> jpeg;
            if (const JpegEncodeResult result = EncodeJpegPicture(thumbnail, parameter, {}, jpeg);
                result != JpegEncodeResult::kOk)
                return result == JpegEncodeResult::kOutOfMemory ? LosslessRotateResult::OutOfMemory
                                                                : LosslessRotateResult::Damaged;
            if (const TiffEditResult result = editor.ReplaceThumbnail(jpeg); result != TiffEditResult::kOk)
                return ResultOf(result);
            EditThumbnailTags(editor, transform);
        }
        if (editor.FitsOneSegment()) {
            payload.assign(bytes + preamble, bytes + blockStart);
            payload.insert(payload.end(), editor.Block().begin(), editor.Block().end());
            return LosslessRotateResult::Rotated;
        }
        if (thumbnail.IsEmpty())
            break;
    }
    return LosslessRotateResult::ExifTooLarge;
}

LosslessRotateResult Rotate(std::string_view file, const Transform& transform, EdgePolicy policy, Bytes& rotated)
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
    const bool aligned = (!transform.movesRightEdge || width % tjMCUWidth[subsampling] == 0)
                      && (!transform.movesBottomEdge || height % tjMCUHeight[subsampling] == 0);
    if (!aligned && policy == EdgePolicy::Refuse)
        return LosslessRotateResult::NotMcuAligned;
    if (!transformer.Rotate(file, transform, !aligned))
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
    const PixelSize turnedSize{static_cast<std::uint32_t>(turnedWidth), static_cast<std::uint32_t>(turnedHeight)};
    // The part of the stored picture that was turned: trimming dropped the rest.
    const PixelSize source = transform.exchangesSides ? PixelSize{turnedSize.height, turnedSize.width} : turnedSize;

    rotated.clear();
    rotated.reserve(turned.size() + file.size() / 8);
    rotated.insert(rotated.end(), {0xFF, kSoi});
    bool exifDone = false;
    for (const Segment& segment : *segments) {
        if (!IsApplicationOrComment(segment.marker))
            continue; // tables and the frame header come from the transformed picture
        if (IsExifSegment(file, segment) && !exifDone) {
            std::vector<std::uint8_t> payload;
            const LosslessRotateResult result = BuildTurnedExif(file, segment, transform, source, turnedSize, payload);
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
    return LosslessRotateResult::Rotated;
}

// The transform that turns the picture upright; none when it is upright already.
LosslessRotateResult FindUprightTransform(std::string_view file, const Transform*& transform)
{
    transform = nullptr;
    if (file.size() < 4 || static_cast<unsigned char>(file[0]) != 0xFF ||
        static_cast<unsigned char>(file[1]) != kSoi)
        return LosslessRotateResult::NotJpeg;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
    ExifReader reader;
    const TiffResult result
        = reader.OpenJpeg(TiffStream::FromBytes(std::vector<std::uint8_t>(bytes, bytes + file.size())));
    if (result == TiffResult::kNoExif)
        return LosslessRotateResult::AlreadyUpright;
    if (!Succeeded(result))
        return result == TiffResult::kOutOfMemory ? LosslessRotateResult::OutOfMemory : LosslessRotateResult::Damaged;
    transform = UprightTransform(reader.Orientation());
    return transform ? LosslessRotateResult::Rotated : LosslessRotateResult::AlreadyUpright;
}

// The orientation the picture is shown in; 1 without readable Exif data (the turn then finds
// what is damaged).
int ShownOrientation(std::string_view file)
{
    const Transform* upright = nullptr;
    if (FindUprightTransform(file, upright) != LosslessRotateResult::Rotated || !upright)
        return 1;
    return upright->orientation;
}

LosslessRotateResult RotateUpright(std::string_view file, EdgePolicy policy, Bytes& rotated)
{
    const Transform* transform = nullptr;
    if (const LosslessRotateResult result = FindUprightTransform(file, transform);
        result != LosslessRotateResult::Rotated)
        return result;
    return Rotate(file, *transform, policy, rotated);
}

// Memory exhaustion anywhere in a turn becomes a result, never an exception.
template <typename Body> LosslessRotateResult Guarded(Bytes& rotated, Body&& body)
{
    try {
        const LosslessRotateResult result = body();
        if (result != LosslessRotateResult::Rotated)
            rotated.clear();
        return result;
    } catch (const std::bad_alloc&) {
        rotated.clear();
        return LosslessRotateResult::OutOfMemory;
    }
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
    return Guarded(rotated, [&] { return Rotate(file, TransformOf(turn, ShownOrientation(file)), policy, rotated); });
}

LosslessRotateResult RotateJpegUprightBytes(std::string_view file, EdgePolicy policy, Bytes& rotated)
{
    rotated.clear();
    return Guarded(rotated, [&] { return RotateUpright(file, policy, rotated); });
}

namespace {

// Reads the picture, transforms it in memory and replaces the file with the result.
template <typename Body> LosslessRotateResult RewriteFile(const std::string& path, Body&& transform)
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
    if (const LosslessRotateResult result = transform(*file, rotated); result != LosslessRotateResult::Rotated)
        return result;
    const std::string_view content(reinterpret_cast<const char*>(rotated.data()), rotated.size());
    if (WriteFileAtomically(path, content) != 0)
        return LosslessRotateResult::WriteFailed;
    return LosslessRotateResult::Rotated;
}

} // namespace

LosslessRotateResult RotateJpegFile(const std::string& path, RotationTurn turn, EdgePolicy policy)
{
    return RewriteFile(path, [&](std::string_view file, Bytes& rotated) {
        return RotateJpegBytes(file, turn, policy, rotated);
    });
}

LosslessRotateResult RotateJpegUpright(const std::string& path, EdgePolicy policy)
{
    return RewriteFile(path, [&](std::string_view file, Bytes& rotated) {
        return RotateJpegUprightBytes(file, policy, rotated);
    });
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
    case LosslessRotateResult::ExifTooLarge:
        return "The turned picture's Exif data would not fit into its Exif segment.";
    case LosslessRotateResult::AlreadyUpright:
        return "The picture is upright already.";
    }
    return "Unknown result.";
}
