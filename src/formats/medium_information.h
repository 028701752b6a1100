#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/medium_info_reader.h"
#include "library/dcf_name.h"

// One line of the information display.
struct LabelledValue {
    std::string label;
    std::string value; // empty: the line is left out
    friend bool operator==(const LabelledValue&, const LabelledValue&) = default;
};

// The groups of the information display, numbered as their items are addressed.
inline constexpr int kGeneralGroup = 1;     // 9 items
inline constexpr int kFileGroup = 2;        // 5 items
inline constexpr int kDescriptionGroup = 3; // 5 items
inline constexpr int kShootingGroup = 4;    // 21 items
inline constexpr int kAudioGroup = 5;       // 3 items
inline constexpr int kGpsGroup = 6;         // 7 items

// The items of a group; 0 for a number that is not a group.
int GroupItemCount(int group);

// The text of the Exif UserComment (0x9286) in a tag set as the display shows it: decoded from
// its character code, control characters as spaces, trailing blanks dropped, at most 1023 bytes
// (cut at a character boundary); empty without a comment or for an unknown code.
std::string UserCommentOf(const TagSet& tags);

// The metadata of one file turned into the labelled texts of the information panel, the
// report view and the tooltips. Labels and value words come from the language table (label
// list of the group, entry = item number); numbers use fixed formats. Built and used on one
// thread at a time (the DCF number is worked out, by reading the folders, on first use).
class MediumInformation {
public:
    // `metadata` is a full read of the file at `path`; `fileSize` in bytes; `modified` its
    // last-write time as a file time (UTC, 100 ns since 1601), 0 when unknown. `isMountPoint`
    // decides where a drive's root is for the DCF number; an empty one means no DCF number.
    MediumInformation(FileMetadata metadata, std::string path, std::uint64_t fileSize, std::uint64_t modified,
                      MountPointTest isMountPoint = IsMountPoint);

    // Reads the file's metadata, size and modification time (any thread).
    static MediumInformation ForFile(const std::string& path, MountPointTest isMountPoint = IsMountPoint);

    // The label and value of one item (group 1 to 6, item from 0); both empty for an item that
    // does not exist.
    LabelledValue Item(int group, int item) const;

    // The lines that have a value, in display order. Groups 1, 2 and 5 take a missing value
    // from `fallback` (the picture's RAW companion or sound memo), when one is given.
    std::vector<LabelledValue> InformationLines(const MediumInformation* fallback = nullptr) const;
    // The same lines as text: "label: value", one per line, separated by line feeds.
    std::string InformationText(const MediumInformation* fallback = nullptr) const;

    const TagSet& Tags() const { return m_metadata.tags; }
    const MediumInfo& Info() const { return m_metadata.info; }
    int FormatIndex() const { return m_metadata.formatIndex; }
    bool HasExif() const { return m_metadata.hasExif; }
    bool IsAdobeRgb() const { return m_metadata.adobeRgb; }
    bool IsRaw() const { return m_metadata.formatIndex == kRawFormatIndex; }
    const std::string& Path() const { return m_path; }
    std::uint64_t FileSize() const { return m_fileSize; }
    std::uint64_t Modified() const { return m_modified; }
    // "100-0001", "01-0003" or empty.
    const std::string& DcfText() const;

    static constexpr int kRawFormatIndex = 2;

private:
    FileMetadata m_metadata;
    std::string m_path;
    std::uint64_t m_fileSize = 0;
    std::uint64_t m_modified = 0;
    MountPointTest m_isMountPoint;
    // Worked out on first use: it reads the folders, which most users of the object never need.
    mutable std::optional<std::string> m_dcfText;
};
