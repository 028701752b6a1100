#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "formats/tiff_types.h"

class ExifReader;
class TiffDirectory;

// In-place edits of a JPEG's Exif TIFF block, shared by the writers that change tags of an
// existing picture (the date and comment update, the lossless turns). Every byte that is there
// stays where it is, so every offset into the block (other makers' notes count theirs from the
// TIFF header) stays valid: values are overwritten in place when they fit, anything new is
// appended, and a directory that needs another entry is copied to the end with its parent
// pointing at the copy. Not thread-safe; one editor per block.

// "Exif", a zero byte and a pad byte, then the TIFF header.
inline constexpr std::size_t kExifPreambleSize = 6;
// The segment's 16-bit length counts itself.
inline constexpr std::size_t kMaxExifSegmentPayload = 65533;
inline constexpr std::size_t kMaxExifBlockSize = kMaxExifSegmentPayload - kExifPreambleSize;
inline constexpr std::size_t kTiffEntrySize = 12;

// Reading and writing 16- and 32-bit numbers in one byte order.
struct TiffByteOrder {
    bool big = false;

    std::uint32_t Get(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t size) const
    {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i)
            value |= std::uint32_t{bytes[at + i]} << (8 * (big ? size - 1 - i : i));
        return value;
    }
    void Put(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value, std::size_t size) const
    {
        for (std::size_t i = 0; i < size; ++i)
            bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * (big ? size - 1 - i : i)));
    }
};

// One 12-byte directory entry as it stands in the data: the last four bytes are kept raw, in
// the data's byte order, so an entry copied elsewhere keeps its meaning.
struct RawEntry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::array<std::uint8_t, 4> field{};
    std::uint64_t position = 0; // of the entry in the data it was read from
    bool modified = false;

    std::uint64_t ByteSize() const { return std::uint64_t{TiffTypeSize(type)} * count; }
};

// A directory read without interpreting it: every entry in file order, unknown types too.
struct RawDirectory {
    std::uint32_t offset = 0;
    std::vector<RawEntry> entries;
    std::array<std::uint8_t, 4> next{};
    bool grown = false; // holds an entry the data does not have yet

    RawEntry* Find(std::uint16_t tag);
    const RawEntry* Find(std::uint16_t tag) const;
};

// False when the directory does not lie inside the data or has too many entries.
bool ReadRawDirectory(std::span<const std::uint8_t> data, TiffByteOrder order, std::uint32_t offset,
                      RawDirectory& directory);
void PutEntry(std::span<std::uint8_t> data, std::size_t at, TiffByteOrder order, const RawEntry& entry);
// Where an out-of-line value lies, when all of it lies inside the data.
bool ValueRange(const RawEntry& entry, TiffByteOrder order, std::size_t dataSize, std::uint32_t& offset);
// Writes bytes at an offset; true when that changed anything.
bool Overwrite(std::vector<std::uint8_t>& data, std::size_t at, std::span<const std::uint8_t> bytes);

enum class TiffEditResult {
    kOk,
    kNoExif,      // IFD0 has no Exif directory
    kDamaged,     // a directory or value the edit needs does not lie inside the block
    kTooLarge,    // the block would outgrow its offsets
    kOutOfMemory,
};

class TiffBlockEditor {
public:
    // The directories whose number tags SetNumbers can change.
    enum class Directory {
        kPrimary,
        kExif,
        kThumbnail,
        kMakersNote, // the maker's own note, little-endian and self-relative
    };

    TiffBlockEditor(std::vector<std::uint8_t> block, TiffByteOrder order);

    const std::vector<std::uint8_t>& Block() const { return m_block; }
    bool Changed() const { return m_changed; }
    // True when the block, behind its 6-byte preamble, fits one APP1 segment.
    bool FitsOneSegment() const { return m_block.size() <= kMaxExifBlockSize; }

    // Reads IFD0 and the Exif directory; kNoExif (IFD0 alone was read) when there is none.
    // `reader` must have opened the same block.
    TiffEditResult ReadDirectories(const ExifReader& reader);
    // Reads IFD1 when the reader found one, and the maker's own note when the Exif directory
    // holds one; after ReadDirectories. A note whose directory cannot be read is left as it is
    // (its numbers read as absent); kDamaged when IFD1 cannot be read.
    TiffEditResult ReadThumbnailAndNote();

    // Sets an Exif tag's whole value. The existing value's place is reused when it has the same
    // type and size, or, with `mayPad`, when it is larger (the rest is zeroed: a zero ends the
    // text for every reader, while blanks would become part of it); otherwise, and beside
    // another maker's note, the value is appended and the entry points there. A value that
    // already reads the same is left as it is. The value must be longer than 4 bytes.
    TiffEditResult SetExifValue(std::uint16_t tag, std::uint16_t type, std::span<const std::uint8_t> value,
                                bool mayPad);
    bool HasExifTag(std::uint16_t tag) const { return m_exif.Find(tag) != nullptr; }

    // The values of a SHORT or LONG tag; none when the tag is absent, has another type or its
    // value does not lie inside the block (or note).
    std::optional<std::vector<std::int64_t>> Numbers(Directory directory, std::uint16_t tag) const;
    // Writes a SHORT or LONG tag's values in its own type and count (`values` must have that
    // count), each clamped to the type's range. In place, except an out-of-line Exif value
    // beside another maker's note, which is appended. False when the tag is absent or not a
    // SHORT or LONG that lies inside the block.
    bool SetNumbers(Directory directory, std::uint16_t tag, std::span<const std::int64_t> values);

    // Replaces the IFD1 JPEG thumbnail (0x0201, 0x0202): over the old one when it fits there
    // (the rest zeroed), else appended with 0x0201 pointing at it. kDamaged when IFD1 has no
    // such pair of single LONGs.
    TiffEditResult ReplaceThumbnail(std::span<const std::uint8_t> jpeg);

    // Marks the maker's own note as rewritten by the browser (tag 0x8800 = 1 and version
    // "0130"). Another maker's note, or none, is left alone.
    TiffEditResult MarkMakerNote();

    // Writes the changed Exif entries back: in place, or, when the directory has a new
    // entry, as a sorted copy at the end that IFD0 points to.
    TiffEditResult WriteExifDirectory();

private:
    // Where a directory's offsets count from, the size of the data its values must lie in,
    // and its byte order.
    struct Place {
        std::size_t base;
        std::size_t size;
        TiffByteOrder order;
    };
    const RawDirectory* DirectoryOf(Directory directory) const;
    RawDirectory* DirectoryOf(Directory directory);
    Place PlaceOf(Directory directory) const;
    bool Append(std::span<const std::uint8_t> bytes, std::uint32_t& offset);
    // Whether block bytes [at, at + size) hold part of the TIFF header or of a directory (its
    // count, entries or next pointer): a damaged offset may point a value there, and writing
    // over it would break the block, so such a value is appended instead.
    bool HoldsStructure(std::uint64_t at, std::uint64_t size) const;
    TiffEditResult FindDanglingReach(const ExifReader& reader);
    std::optional<std::uint32_t> MakersOwnNote(const RawEntry& entry) const;
    TiffEditResult RebuildMakerNote(RawEntry& noteEntry, const TiffDirectory& directory);

    std::vector<std::uint8_t> m_block;
    TiffByteOrder m_order;
    RawDirectory m_ifd0;
    RawDirectory m_exif;
    bool m_hasExif = false;
    bool m_readerHasThumbnail = false;
    std::optional<RawDirectory> m_thumbnail;
    std::optional<RawDirectory> m_note; // little-endian, positions relative to the note
    std::uint32_t m_noteStart = 0;
    std::uint32_t m_noteSize = 0;
    bool m_changed = false;
    bool m_mayOverwrite = true;
    std::uint64_t m_reach = 0; // appended data starts here or later
};
