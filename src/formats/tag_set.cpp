#include "formats/tag_set.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <string_view>

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kInteropIndexTag = 0x0001;
constexpr std::uint16_t kIccProfileTag = 0x8773;

// SHORT or LONG elements as integers; nullopt for any other type.
std::optional<std::vector<std::int64_t>> Integers(const TagEntry& entry)
{
    if (entry.type != kTiffShort && entry.type != kTiffLong)
        return std::nullopt;
    std::vector<std::int64_t> values(entry.count);
    for (std::uint32_t i = 0; i < entry.count; ++i) {
        if (entry.type == kTiffShort) {
            std::uint16_t value = 0;
            std::memcpy(&value, entry.value.data() + 2 * i, sizeof value);
            values[i] = value;
        } else {
            std::uint32_t value = 0;
            std::memcpy(&value, entry.value.data() + 4 * i, sizeof value);
            values[i] = value;
        }
    }
    return values;
}

std::vector<std::uint8_t> AsShorts(const std::vector<std::int64_t>& values)
{
    std::vector<std::uint8_t> bytes(values.size() * 2);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto value = static_cast<std::uint16_t>(std::clamp<std::int64_t>(values[i], 0, 0xFFFF));
        std::memcpy(bytes.data() + 2 * i, &value, sizeof value);
    }
    return bytes;
}

// Where a point of the stored picture lies in the upright picture.
void MapPoint(int orientation, std::int64_t width, std::int64_t height, std::int64_t& x, std::int64_t& y)
{
    const std::int64_t sx = x;
    const std::int64_t sy = y;
    // clang-format off
    switch (orientation) {
    case 2: x = width - sx;  y = sy;          break;
    case 3: x = width - sx;  y = height - sy; break;
    case 4: x = sx;          y = height - sy; break;
    case 5: x = sy;          y = sx;          break;
    case 6: x = height - sy; y = sx;          break;
    case 7: x = height - sy; y = width - sx;  break;
    case 8: x = sy;          y = width - sx;  break;
    default: break;
    }
    // clang-format on
}

std::uint32_t BigEndian32(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return (std::uint32_t{bytes[offset]} << 24) | (std::uint32_t{bytes[offset + 1]} << 16)
        | (std::uint32_t{bytes[offset + 2]} << 8) | std::uint32_t{bytes[offset + 3]};
}

bool HasSignature(std::span<const std::uint8_t> bytes, std::size_t offset, std::string_view text)
{
    return offset <= bytes.size() && text.size() <= bytes.size() - offset
        && std::equal(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

} // namespace

const TagEntry* TagSet::Find(TagMap map, std::uint16_t tag) const
{
    const std::vector<TagEntry>& entries = MapOf(map);
    const auto entry
        = std::find_if(entries.begin(), entries.end(), [tag](const TagEntry& e) { return e.tag == tag; });
    return entry == entries.end() ? nullptr : &*entry;
}

const TagEntry* TagSet::Find(std::uint16_t tag) const
{
    for (int map = 0; map < kTagMapCount; ++map) {
        if (const TagEntry* entry = Find(static_cast<TagMap>(map), tag))
            return entry;
    }
    return nullptr;
}

const std::uint8_t* TagSet::Value(TagMap map, std::uint16_t tag) const
{
    const TagEntry* entry = Find(map, tag);
    return entry ? entry->value.data() : nullptr;
}

std::size_t TagSet::Count(TagMap map) const
{
    return MapOf(map).size();
}

std::span<const TagEntry> TagSet::Entries(TagMap map) const
{
    return MapOf(map);
}

bool TagSet::IsEmpty() const
{
    return std::all_of(m_maps.begin(), m_maps.end(), [](const auto& map) { return map.empty(); });
}

TiffResult TagSet::Store(TagMap map, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                         std::span<const std::uint8_t> value, bool mayAdd, bool mayReplace)
{
    if (!IsValidTiffType(type))
        return TiffResult::kBadType;
    if (count == 0)
        return TiffResult::kBadCount;
    if (value.size() != std::uint64_t{TiffTypeSize(type)} * count)
        return TiffResult::kBadArgument;

    std::vector<TagEntry>& entries = MapOf(map);
    auto existing
        = std::find_if(entries.begin(), entries.end(), [tag](const TagEntry& e) { return e.tag == tag; });
    if (existing != entries.end() && !mayReplace)
        return TiffResult::kTagExists;
    if (existing == entries.end() && !mayAdd)
        return TiffResult::kTagNotFound;

    try {
        TagEntry entry{tag, type, count, std::vector<std::uint8_t>(value.begin(), value.end())};
        if (type == kTiffAscii)
            entry.value.back() = 0;
        if (existing != entries.end())
            *existing = std::move(entry);
        else
            entries.push_back(std::move(entry));
    } catch (const std::bad_alloc&) {
        return TiffResult::kOutOfMemory;
    }
    return TiffResult::kOk;
}

TiffResult TagSet::Add(TagMap map, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                       std::span<const std::uint8_t> value)
{
    return Store(map, tag, type, count, value, true, false);
}

TiffResult TagSet::Replace(TagMap map, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                           std::span<const std::uint8_t> value)
{
    return Store(map, tag, type, count, value, false, true);
}

TiffResult TagSet::Set(TagMap map, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                       std::span<const std::uint8_t> value)
{
    return Store(map, tag, type, count, value, true, true);
}

bool TagSet::Remove(TagMap map, std::uint16_t tag)
{
    std::vector<TagEntry>& entries = MapOf(map);
    const auto entry
        = std::find_if(entries.begin(), entries.end(), [tag](const TagEntry& e) { return e.tag == tag; });
    if (entry == entries.end())
        return false;
    entries.erase(entry);
    return true;
}

void TagSet::Clear()
{
    for (std::vector<TagEntry>& entries : m_maps)
        entries.clear();
}

void TagSet::NormaliseOrientation(std::uint32_t width, std::uint32_t height)
{
    const TagEntry* orientationEntry = Find(TagMap::kPrimary, kOrientationTag);
    if (!orientationEntry)
        return;
    std::int64_t orientation = 0;
    if (orientationEntry->type == kTiffShort) {
        std::uint16_t value = 0;
        std::memcpy(&value, orientationEntry->value.data(), sizeof value);
        orientation = value;
    } else if (orientationEntry->type == kTiffLong) {
        std::uint32_t value = 0;
        std::memcpy(&value, orientationEntry->value.data(), sizeof value);
        orientation = value;
    }
    if (orientation < 2 || orientation > 8)
        return;
    // Rewrites one coordinate tag; counts other than the allowed ones are left alone.
    const auto remap = [&](const OrientedCoordinateTag& row) {
        const TagEntry* entry = Find(row.map, row.tag);
        if (!entry || entry->count < row.minCount || entry->count > row.maxCount)
            return;
        auto values = Integers(*entry);
        if (!values)
            return;
        MapOrientedCoordinates(static_cast<int>(orientation), width, height, *values);
        const std::vector<std::uint8_t> bytes = AsShorts(*values);
        (void)Replace(row.map, row.tag, kTiffShort, entry->count, bytes);
    };
    try {
        for (const OrientedCoordinateTag& row : kOrientedCoordinateTags)
            remap(row);
    } catch (const std::bad_alloc&) {
        // Out of memory part-way: the set must not claim to be upright.
        return;
    }

    const std::uint16_t upright = 1;
    std::uint8_t bytes[2];
    std::memcpy(bytes, &upright, sizeof upright);
    (void)Replace(TagMap::kPrimary, kOrientationTag, kTiffShort, 1, bytes);
}

void MapOrientedCoordinates(int orientation, std::uint32_t width, std::uint32_t height,
                            std::vector<std::int64_t>& values)
{
    if (orientation < 2 || orientation > 8 || values.size() < 2)
        return;
    MapPoint(orientation, width, height, values[0], values[1]);
    // A SubjectArea of four values is a rectangle: centre, then width and height.
    if (values.size() == 4 && orientation >= 5)
        std::swap(values[2], values[3]);
}

bool TagSet::DeclaresAdobeRgbInterop() const
{
    static constexpr std::uint8_t kAdobeRgbIndex[] = {'R', '0', '3', 0};
    const TagEntry* entry = Find(TagMap::kInterop, kInteropIndexTag);
    return entry && std::ranges::equal(entry->value, kAdobeRgbIndex);
}

bool TagSet::DeclaresAdobeRgbProfile() const
{
    const TagEntry* entry = Find(TagMap::kPrimary, kIccProfileTag);
    return entry && IsAdobeRgbProfile(entry->value);
}

bool IsAdobeRgbProfile(std::span<const std::uint8_t> profile)
{
    // ICC layout: a 128-byte header, a big-endian tag count, then 12-byte rows (signature,
    // offset, size). A "desc" element: "desc", 4 reserved zero bytes, a big-endian length L
    // and L bytes of text, usually with its terminating zero.
    constexpr std::size_t kTagCountOffset = 128;
    constexpr std::size_t kTagTableOffset = 132;
    constexpr std::size_t kRowSize = 12;
    constexpr std::size_t kTextOffset = 12;
    constexpr std::string_view kAdobeRgb = "Adobe RGB (1998)";

    if (profile.size() < kTagTableOffset)
        return false;
    const std::uint32_t rows = BigEndian32(profile, kTagCountOffset);
    for (std::uint64_t row = 0; row < rows; ++row) {
        const std::uint64_t rowOffset = kTagTableOffset + row * kRowSize;
        if (rowOffset + kRowSize > profile.size())
            break;
        const auto at = static_cast<std::size_t>(rowOffset);
        if (!HasSignature(profile, at, "desc"))
            continue;
        const std::uint32_t offset = BigEndian32(profile, at + 4);
        const std::uint32_t size = BigEndian32(profile, at + 8);
        if (offset > profile.size() || size > profile.size() - offset || size < kTextOffset)
            continue;
        const std::span<const std::uint8_t> element = profile.subspan(offset, size);
        static constexpr std::uint8_t kReserved[4] = {0, 0, 0, 0};
        if (!HasSignature(element, 0, "desc")
            || !std::equal(std::begin(kReserved), std::end(kReserved), element.begin() + 4))
            continue;
        const std::uint32_t length = BigEndian32(element, 8);
        if (length > element.size() - kTextOffset)
            continue;
        // The text must be the name itself: a shorter text that is only its beginning, or an
        // empty one, does not count.
        std::string_view text(reinterpret_cast<const char*>(element.data() + kTextOffset), length);
        text = text.substr(0, text.find('\0'));
        if (text == kAdobeRgb)
            return true;
    }
    return false;
}
