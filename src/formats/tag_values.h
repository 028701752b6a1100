#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

struct MediumInfo;
class TagSet;

struct TagEntry;

// Typed reads of one element of a tag-set entry (values are in machine byte order). Each read
// gives nothing for a missing entry (nullptr), a type it does not accept, or an entry with
// fewer than index + 1 elements, so callers never interpret bytes of the wrong kind.

// A RATIONAL or SRATIONAL element. The denominator may be 0; callers decide what that means.
struct Rational {
    std::int64_t numerator = 0;
    std::int64_t denominator = 0;

    bool IsDefined() const { return denominator != 0; }
    // Only for a defined value.
    double Value() const { return static_cast<double>(numerator) / static_cast<double>(denominator); }
    // The value is a whole number.
    bool IsWhole() const { return IsDefined() && numerator % denominator == 0; }
};

// BYTE, SHORT, LONG and UNDEFINED elements as unsigned numbers.
std::optional<std::uint32_t> UnsignedTagValue(const TagEntry* entry, std::uint32_t index = 0);

// SSHORT and SLONG elements, and the unsigned types above.
std::optional<std::int64_t> IntegerTagValue(const TagEntry* entry, std::uint32_t index = 0);

// RATIONAL (unsigned) and SRATIONAL (signed) elements.
std::optional<Rational> RationalTagValue(const TagEntry* entry, std::uint32_t index = 0);

// The `part`-th zero-terminated string of an ASCII value (part 0 is the text up to the first
// zero byte); empty when the entry is missing, not ASCII, or has fewer parts.
std::string AsciiTagText(const TagEntry* entry, std::size_t part = 0);

// The text without trailing blanks (cameras pad fixed-size fields with spaces).
std::string TrimmedRight(std::string text);

// Sets the shooting date of the record from DateTimeOriginal (0x9003) when it is a 20-byte
// ASCII value in the date mask; leaves it unset otherwise.
void FillShootingDate(const TagSet& tags, MediumInfo& info);
