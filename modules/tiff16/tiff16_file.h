#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "qwtiff16.h"

namespace qwtiff16 {

class ByteSource;

inline constexpr std::uint32_t kMaxPixels = 200'000'000;
inline constexpr std::uint32_t kThumbnailBoxWidth = 160;
inline constexpr std::uint32_t kThumbnailBoxHeight = 120;

// How much an open file may ask for; the defaults are the module's, a fuzz run passes less.
struct Limits {
    std::uint64_t maxPixels = kMaxPixels;
};

// One open TIFF file behind a context: the picture (first directory) read through libtiff,
// the optional reduced image (IFD1), and the raw directories for the tag queries. Used by one
// thread at a time; holds no global state, so files on other threads are independent.
class Tiff16File {
public:
    // QWTIFF16_E_OPEN when the file cannot be read or libtiff does not take it for a TIFF.
    static std::uint16_t OpenFile(const char* path, const Limits& limits, std::unique_ptr<Tiff16File>& file);
    // The same over bytes the caller keeps alive while the file is open.
    static std::uint16_t OpenMemory(std::span<const std::uint8_t> bytes, const Limits& limits,
                                    std::unique_ptr<Tiff16File>& file);
    ~Tiff16File();
    Tiff16File(const Tiff16File&) = delete;
    Tiff16File& operator=(const Tiff16File&) = delete;

    void PictureSize(std::uint32_t& width, std::uint32_t& height) const;
    // QWTIFF16_OK for a picture with 16-bit samples that ReadImage can read, otherwise why not
    // (QWTIFF16_E_NOT_TARGET, QWTIFF16_E_TOO_LARGE).
    std::uint16_t TargetStatus() const;
    void FillTargetInfo(QWTiff16TargetInfo& info) const;
    // Packed bitmap sizes; 0 when the file is not a target.
    std::uint64_t ImageBufferSize() const;
    std::uint64_t ThumbnailBufferSize() const;

    std::uint16_t ReadImage(std::uint8_t* buffer, std::uint64_t size, bool topDown);
    std::uint16_t ReadThumbnail(std::uint8_t* buffer, std::uint64_t size, bool topDown);

    // The tag queries: `exif` picks the Exif directory instead of the first one.
    std::uint16_t ParseHeader();
    std::uint16_t ParseExifHeader();
    std::uint16_t QueryType(bool exif, std::uint16_t tag, QWTiff16TagInfo& info) const;
    std::uint16_t QueryValue(bool exif, std::uint16_t tag, std::uint8_t* buffer, std::uint64_t size) const;

private:
    struct State;
    explicit Tiff16File(std::unique_ptr<State> state);
    static std::uint16_t OpenSource(std::unique_ptr<ByteSource> source, const Limits& limits,
                                    std::unique_ptr<Tiff16File>& file);
    // Opens libtiff over the bytes and sorts the file out: target or not, thumbnail source.
    std::uint16_t Inspect();

    std::unique_ptr<State> m_state;
};

} // namespace qwtiff16
