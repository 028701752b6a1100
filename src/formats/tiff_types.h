#pragma once

#include <array>
#include <cstdint>

#include "library/media_error.h"

// Vocabulary of the TIFF directory library: field types, the five tag maps of a tag set, the
// library's result codes and their translation into the integers that format handlers throw.

// TIFF 6.0 field types. Type 0 and types above 12 are invalid and never stored.
enum TiffType : std::uint16_t {
    kTiffByte = 1,
    kTiffAscii = 2,
    kTiffShort = 3,
    kTiffLong = 4,
    kTiffRational = 5,
    kTiffSByte = 6,
    kTiffUndefined = 7,
    kTiffSShort = 8,
    kTiffSLong = 9,
    kTiffSRational = 10,
    kTiffFloat = 11,
    kTiffDouble = 12,
};

// Size in bytes of one element of each type, indexed by the type number; 0 marks invalid types.
inline constexpr std::array<std::uint8_t, 13> kTiffTypeSizes = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

constexpr bool IsValidTiffType(std::uint32_t type)
{
    return type >= kTiffByte && type <= kTiffDouble;
}

// 0 for an invalid type.
constexpr std::uint32_t TiffTypeSize(std::uint32_t type)
{
    return IsValidTiffType(type) ? kTiffTypeSizes[type] : 0;
}

// Byte-order words of a TIFF header; 0 means "no header read yet" and reads in machine order.
inline constexpr std::uint16_t kByteOrderNone = 0;
inline constexpr std::uint16_t kByteOrderLittle = 0x4949; // "II"
inline constexpr std::uint16_t kByteOrderBig = 0x4D4D;    // "MM"

// Pointer tags that link the directories of an Exif tree.
inline constexpr std::uint16_t kExifPointerTag = 0x8769;
inline constexpr std::uint16_t kGpsPointerTag = 0x8825;
inline constexpr std::uint16_t kInteropPointerTag = 0xA005;
// The 16-bit TIFF files of the maker's RAW converter point to their Exif directory with this
// private tag instead of 0x8769.
inline constexpr std::uint16_t kTiff16ExifPointerTag = 0xC4F9;

// The five maps of a tag set, in lookup order.
enum class TagMap : int {
    kPrimary = 0,
    kExif = 1,
    kInterop = 2,
    kGps = 3,
    kMakerNote = 4,
};
inline constexpr int kTagMapCount = 5;

// Result codes of the directory library and the Exif reader. Callers and plug-ins can observe
// them, so the numbers are fixed.
enum class [[nodiscard]] TiffResult : int{
    kOk = 0,
    kBadArgument = 1000,
    kNotReady = 1001, // not initialised, or already read
    kOutOfMemory = 1002,
    kDataMissing = 1003, // data missing or too small
    kThumbnailTooLarge = 1007,
    kNoExif = 1100,
    kMalformed = 1200, // malformed header or directory
    kWrongTag = 1202,  // a tag of the wrong type or count
    kTagNotFound = 1203,
    kTagExists = 1204,
    kBadType = 1205, // bad or mismatching type
    kBadCount = 1206,
    kEndOfFile = 1300, // unexpected end of the data
};

constexpr bool Succeeded(TiffResult result)
{
    return result == TiffResult::kOk;
}

// Translates a library code into the integer thrown at the format-handler boundary. Values of
// 1 and below (success, and codes that already are thrown integers) pass unchanged.
constexpr int ThrowCodeFor(int libraryCode)
{
    if (libraryCode <= 1)
        return libraryCode;
    switch (libraryCode) {
    case 1003:
    case 1101: return kMediaUnreadable;
    case 1100: return kMediaNoExif;
    case 1002: return kMediaOutOfMemory;
    default: return kMediaMalformed;
    }
}

constexpr int ThrowCodeFor(TiffResult result)
{
    return ThrowCodeFor(static_cast<int>(result));
}

// The boundary from the library to a format handler: a failure becomes a thrown MediaError.
inline void ThrowIfFailed(TiffResult result)
{
    if (!Succeeded(result))
        throw MediaError{ThrowCodeFor(result)};
}
