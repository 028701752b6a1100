#include "formats/tag_values.h"

#include "formats/tag_set.h"
#include "library/medium_info.h"

#include <cstring>

#include "formats/tag_set.h"

namespace {

// The element's bytes, when the entry holds at least index + 1 elements of `size` bytes.
const std::uint8_t* Element(const TagEntry& entry, std::uint32_t index, std::size_t size)
{
    if (index >= entry.count || (static_cast<std::size_t>(index) + 1) * size > entry.value.size())
        return nullptr;
    return entry.value.data() + static_cast<std::size_t>(index) * size;
}

template <typename T> std::optional<T> Read(const TagEntry& entry, std::uint32_t index)
{
    const std::uint8_t* bytes = Element(entry, index, sizeof(T));
    if (!bytes)
        return std::nullopt;
    T value{};
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

} // namespace

std::optional<std::uint32_t> UnsignedTagValue(const TagEntry* entry, std::uint32_t index)
{
    if (!entry)
        return std::nullopt;
    switch (entry->type) {
    case kTiffByte:
    case kTiffUndefined: return Read<std::uint8_t>(*entry, index);
    case kTiffShort: return Read<std::uint16_t>(*entry, index);
    case kTiffLong: return Read<std::uint32_t>(*entry, index);
    default: return std::nullopt;
    }
}

std::optional<std::int64_t> IntegerTagValue(const TagEntry* entry, std::uint32_t index)
{
    if (!entry)
        return std::nullopt;
    switch (entry->type) {
    case kTiffSShort: return Read<std::int16_t>(*entry, index);
    case kTiffSLong: return Read<std::int32_t>(*entry, index);
    default: return UnsignedTagValue(entry, index);
    }
}

std::optional<Rational> RationalTagValue(const TagEntry* entry, std::uint32_t index)
{
    if (!entry || (entry->type != kTiffRational && entry->type != kTiffSRational))
        return std::nullopt;
    const std::uint8_t* bytes = Element(*entry, index, 8);
    if (!bytes)
        return std::nullopt;
    if (entry->type == kTiffRational) {
        std::uint32_t parts[2];
        std::memcpy(parts, bytes, 8);
        return Rational{parts[0], parts[1]};
    }
    std::int32_t parts[2];
    std::memcpy(parts, bytes, 8);
    return Rational{parts[0], parts[1]};
}

std::string AsciiTagText(const TagEntry* entry, std::size_t part)
{
    if (!entry || entry->type != kTiffAscii || entry->value.empty())
        return {};
    const char* data = reinterpret_cast<const char*>(entry->value.data());
    const std::size_t size = entry->value.size();
    std::size_t start = 0;
    for (std::size_t i = 0; i < part; ++i) {
        const void* zero = std::memchr(data + start, 0, size - start);
        if (!zero)
            return {};
        start = static_cast<std::size_t>(static_cast<const char*>(zero) - data) + 1;
        if (start >= size)
            return {};
    }
    const void* zero = std::memchr(data + start, 0, size - start);
    const std::size_t end = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - data) : size;
    return std::string(data + start, end - start);
}

std::string TrimmedRight(std::string text)
{
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    text.erase(last == std::string::npos ? 0 : last + 1);
    return text;
}

void FillShootingDate(const TagSet& tags, MediumInfo& info)
{
    if (const TagEntry* date = tags.Find(TagMap::kExif, 0x9003); date && date->type == kTiffAscii)
        ParseDateTimeOriginal(date->value.data(), date->count, info.shootingDate);
}
