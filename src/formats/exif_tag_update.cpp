#include "formats/exif_tag_update.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "formats/exif_reader.h"
#include "formats/jpeg_marker_reader.h"
#include "formats/shooting_date.h"
#include "formats/tiff_block_editor.h"
#include "formats/tiff_directory.h"
#include "formats/tiff_stream.h"
#include "framework/text_conversion.h"
#include "framework/atomic_file.h"
#include "framework/file_bytes.h"

namespace {

constexpr std::uint16_t kDateTimeOriginalTag = 0x9003;
constexpr std::uint16_t kUserCommentTag = 0x9286;

constexpr std::array<std::uint8_t, 5> kExifSignature = {'E', 'x', 'i', 'f', 0};
constexpr std::uint16_t kShortestExifSegment = 8;
constexpr std::size_t kDateValueSize = 20;
// What the comment field of the date and comment panel holds.
constexpr std::size_t kMaxCommentBytes = 255;

constexpr std::array<std::uint8_t, 8> kAsciiCode = {'A', 'S', 'C', 'I', 'I', 0, 0, 0};
constexpr std::array<std::uint8_t, 8> kUnicodeCode = {'U', 'N', 'I', 'C', 'O', 'D', 'E', 0};

// The UTF-8 text cut at its first zero byte and to at most `limit` bytes, never inside a
// character.
std::string_view CutComment(std::string_view text, std::size_t limit)
{
    return CutUtf8(text.substr(0, text.find('\0')), limit);
}

// Strict UTF-8 decoding; a malformed sequence stands for one U+FFFD.
std::u32string DecodeUtf8(std::string_view text)
{
    std::u32string points;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1
            : (lead >> 5) == 0x06              ? 2
            : (lead >> 4) == 0x0E              ? 3
            : (lead >> 3) == 0x1E              ? 4
                                               : 0;
        char32_t point = length == 1 ? lead
            : length == 2            ? lead & 0x1F
            : length == 3            ? lead & 0x0F
                                     : lead & 0x07;
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            point = (point << 6) | (next & 0x3F);
        }
        static constexpr char32_t kShortest[5] = {0, 0, 0x80, 0x800, 0x10000};
        valid
            = valid && point >= kShortest[length] && point <= 0x10FFFF && (point < 0xD800 || point > 0xDFFF);
        points.push_back(valid ? point : U'\uFFFD');
        i += valid ? length : 1;
    }
    return points;
}

// UserComment: plain ASCII text under the code "ASCII", anything else as UTF-16 under
// "UNICODE" in the byte order of the Exif data, which is how readers expect it.
std::vector<std::uint8_t> EncodeComment(std::string_view text, TiffByteOrder order)
{
    const bool ascii
        = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const auto& code = ascii ? kAsciiCode : kUnicodeCode;
    std::vector<std::uint8_t> bytes(code.begin(), code.end());
    if (ascii) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        return bytes;
    }
    std::vector<std::uint8_t> units;
    const auto putUnit = [&](char32_t unit) {
        units.resize(units.size() + 2);
        order.Put(units, units.size() - 2, static_cast<std::uint32_t>(unit), 2);
    };
    for (const char32_t point : DecodeUtf8(text)) {
        if (point < 0x10000) {
            putUnit(point);
        } else {
            putUnit(0xD800 + ((point - 0x10000) >> 10));
            putUnit(0xDC00 + ((point - 0x10000) & 0x3FF));
        }
    }
    // Readers that lost the file's byte order (a tag set keeps UNDEFINED bytes as they are)
    // guess it from the zero high bytes of Latin letters, which text in other scripts lacks or
    // even contradicts (U+4E00 has a zero low byte). Where that guess would go wrong, a
    // byte-order mark, which readers drop, says it.
    std::size_t zerosFirst = 0;
    std::size_t zerosSecond = 0;
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        zerosFirst += units[i] == 0 ? 1 : 0;
        zerosSecond += units[i + 1] == 0 ? 1 : 0;
    }
    if ((zerosFirst > zerosSecond) != order.big) {
        bytes.resize(bytes.size() + 2);
        order.Put(bytes, bytes.size() - 2, 0xFEFF, 2);
    }
    bytes.insert(bytes.end(), units.begin(), units.end());
    return bytes;
}

// The parts of a JPEG file that the update needs.
struct JpegLayout {
    JpegSegment exif;             // the Exif APP1 segment the reader takes
    std::uint64_t segmentEnd = 0; // first byte after it
};

// Follows the compressed data after the first SOS to EOI: restart markers and stuffed bytes
// stand alone, table and scan segments between the scans of a progressive picture are
// skipped by their lengths. False when the data ends before EOI (a cut-off picture).
bool ReachesEndOfImage(std::span<const std::uint8_t> file, std::uint64_t from)
{
    std::uint64_t at = from;
    while (at < file.size()) {
        const auto* found = static_cast<const std::uint8_t*>(
            std::memchr(file.data() + at, 0xFF, static_cast<std::size_t>(file.size() - at)));
        if (!found)
            return false;
        at = static_cast<std::uint64_t>(found - file.data());
        if (at + 1 >= file.size())
            return false;
        const std::uint8_t marker = file[at + 1];
        if (marker == 0xD9)
            return true;
        if (marker == 0x00 || marker == 0xFF || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += marker == 0xFF ? 1 : 2;
            continue;
        }
        if (at + 4 > file.size())
            return false;
        const std::uint32_t length = (std::uint32_t{file[at + 2]} << 8) | file[at + 3];
        if (length < 2)
            return false;
        at += 2 + length;
    }
    return false;
}

TagUpdateResult FindSegments(const TiffStream& stream, std::span<const std::uint8_t> file, JpegLayout& layout)
{
    JpegMarkerReader markers(stream);
    if (!Succeeded(markers.ReadStart()))
        return TagUpdateResult::NotJpeg;
    bool exifFound = false;
    for (;;) {
        JpegSegment segment;
        if (!Succeeded(markers.Next(segment)) || segment.marker == JpegMarkerReader::kEndOfImage)
            return TagUpdateResult::Damaged;
        if (segment.marker == JpegMarkerReader::kStartOfScan) {
            if (!exifFound)
                return TagUpdateResult::NoExif;
            return ReachesEndOfImage(file, segment.position + 2 + segment.length) ? TagUpdateResult::Ok
                                                                                  : TagUpdateResult::Damaged;
        }
        if (exifFound || segment.marker != JpegMarkerReader::kApp1 || segment.length <= kShortestExifSegment)
            continue;
        const auto payload = file.subspan(static_cast<std::size_t>(segment.PayloadPosition()));
        if (std::equal(kExifSignature.begin(), kExifSignature.end(), payload.begin())) {
            layout.exif = segment;
            layout.segmentEnd = segment.position + 2 + segment.length;
            exifFound = true;
        }
    }
}

// The editor's result as the update reports it.
TagUpdateResult ResultOf(TiffEditResult result)
{
    switch (result) {
    case TiffEditResult::kOk: return TagUpdateResult::Ok;
    case TiffEditResult::kNoExif: return TagUpdateResult::NoExif;
    case TiffEditResult::kTooLarge: return TagUpdateResult::TooLarge;
    case TiffEditResult::kOutOfMemory: return TagUpdateResult::WriteFailed;
    case TiffEditResult::kDamaged: break;
    }
    return TagUpdateResult::Damaged;
}

TagUpdateResult CheckChange(const PictureTagChange& change)
{
    if (!change.dateTimeOriginal)
        return TagUpdateResult::Ok;
    const std::optional<ShootingDate> date = ParseShootingDate(*change.dateTimeOriginal);
    return date && IsValidShootingDate(*date) ? TagUpdateResult::Ok : TagUpdateResult::InvalidDate;
}

// The new file: everything before the Exif segment, the segment with the new block, and
// everything after it, byte for byte.
std::string JoinPicture(std::string_view file, const JpegLayout& layout, std::span<const std::uint8_t> block)
{
    const std::size_t payload = kExifPreambleSize + block.size();
    const std::size_t start = static_cast<std::size_t>(layout.exif.position);
    const std::size_t end = static_cast<std::size_t>(layout.segmentEnd);
    std::string joined;
    joined.reserve(file.size() + block.size());
    joined.append(file.substr(0, start));
    // Marker, length, and the preamble as the file had it.
    joined.push_back(static_cast<char>(0xFF));
    joined.push_back(static_cast<char>(JpegMarkerReader::kApp1));
    joined.push_back(static_cast<char>((payload + 2) >> 8));
    joined.push_back(static_cast<char>((payload + 2) & 0xFF));
    joined.append(file.substr(start + 4, kExifPreambleSize));
    joined.append(reinterpret_cast<const char*>(block.data()), block.size());
    joined.append(file.substr(end));
    return joined;
}

TagUpdateResult Rewrite(std::string_view file, const PictureTagChange& change, std::string& updated)
{
    updated.clear();
    if (const TagUpdateResult result = CheckChange(change); result != TagUpdateResult::Ok)
        return result;
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(file.data()),
                                              file.size());
    const TiffStream stream = TiffStream::FromBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    JpegLayout layout;
    if (const TagUpdateResult result = FindSegments(stream, bytes, layout); result != TagUpdateResult::Ok)
        return result;
    // Only a tree that the program itself reads completely is changed.
    ExifReader reader;
    if (const TiffResult result = reader.OpenJpeg(stream); !Succeeded(result))
        return result == TiffResult::kNoExif ? TagUpdateResult::NoExif : TagUpdateResult::Damaged;
    if (reader.TiffHeaderPosition() != layout.exif.PayloadPosition() + kExifPreambleSize)
        return TagUpdateResult::Damaged;

    const auto blockStart = static_cast<std::size_t>(reader.TiffHeaderPosition());
    const auto blockEnd = static_cast<std::size_t>(layout.segmentEnd);
    // The reader accepted the header, so its first two bytes are "II" or "MM".
    const TiffByteOrder order{bytes[blockStart] == 'M'};
    TiffBlockEditor editor(std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(blockStart),
                                                     bytes.begin() + static_cast<std::ptrdiff_t>(blockEnd)),
                           order);
    if (const TagUpdateResult result = ResultOf(editor.ReadDirectories(reader)); result != TagUpdateResult::Ok)
        return result;

    if (change.dateTimeOriginal) {
        std::vector<std::uint8_t> date(change.dateTimeOriginal->begin(), change.dateTimeOriginal->end());
        date.resize(kDateValueSize, 0);
        if (const TagUpdateResult result
            = ResultOf(editor.SetExifValue(kDateTimeOriginalTag, kTiffAscii, date, false));
            result != TagUpdateResult::Ok)
            return result;
    }
    if (change.comment) {
        const std::string_view text = CutComment(*change.comment, kMaxCommentBytes);
        // An empty comment needs no tag where there is none.
        if (!text.empty() || editor.HasExifTag(kUserCommentTag)) {
            const std::vector<std::uint8_t> value = EncodeComment(text, order);
            if (const TagUpdateResult result
                = ResultOf(editor.SetExifValue(kUserCommentTag, kTiffUndefined, value, true));
                result != TagUpdateResult::Ok)
                return result;
        }
    }
    // The same values again: the picture stays as it is.
    if (!editor.Changed())
        return TagUpdateResult::Ok;
    if (const TagUpdateResult result = ResultOf(editor.MarkMakerNote()); result != TagUpdateResult::Ok)
        return result;
    if (const TagUpdateResult result = ResultOf(editor.WriteExifDirectory()); result != TagUpdateResult::Ok)
        return result;
    if (kExifPreambleSize + editor.Block().size() > kMaxExifSegmentPayload)
        return TagUpdateResult::TooLarge;
    updated = JoinPicture(file, layout, editor.Block());
    return TagUpdateResult::Ok;
}

TagUpdateResult Update(const std::string& path, const PictureTagChange& change)
{
    if (const TagUpdateResult result = CheckChange(change); result != TagUpdateResult::Ok)
        return result;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return TagUpdateResult::NotJpeg;
    if (::access(path.c_str(), W_OK) != 0)
        return TagUpdateResult::ReadOnly;

    std::string file;
    if (!ReadFileBytes(path, file))
        return TagUpdateResult::Damaged;
    std::string updated;
    if (const TagUpdateResult result = Rewrite(file, change, updated); result != TagUpdateResult::Ok)
        return result;
    if (updated.empty())
        return TagUpdateResult::Ok;
    AtomicFileWriter writer(path);
    if (writer.Open() != 0 || writer.Write(updated) != 0 || writer.Commit() != 0)
        return TagUpdateResult::WriteFailed;
    return TagUpdateResult::Ok;
}

} // namespace

TagUpdateResult UpdateJpegTagBytes(std::string_view file, const PictureTagChange& change, std::string& updated)
{
    try {
        return Rewrite(file, change, updated);
    } catch (const std::bad_alloc&) {
        updated.clear();
        return TagUpdateResult::WriteFailed;
    }
}

TagUpdateResult UpdatePictureTags(const std::string& path, const PictureTagChange& change)
{
    try {
        return Update(path, change);
    } catch (const std::bad_alloc&) {
        return TagUpdateResult::WriteFailed;
    }
}

const char* TagUpdateResultText(TagUpdateResult result)
{
    switch (result) {
    case TagUpdateResult::Ok: return "changed";
    case TagUpdateResult::NotJpeg: return "not a JPEG picture";
    case TagUpdateResult::NoExif: return "a JPEG picture without Exif data";
    case TagUpdateResult::ReadOnly: return "the picture is read-only";
    case TagUpdateResult::Damaged: return "the picture's structure is damaged";
    case TagUpdateResult::TooLarge: return "the new Exif data would not fit into the picture's Exif segment";
    case TagUpdateResult::InvalidDate:
        return "not a valid shooting date (YYYY:MM:DD HH:MM:SS, years 1900 to 2098)";
    case TagUpdateResult::WriteFailed: return "the picture could not be written";
    }
    return "unknown result";
}
