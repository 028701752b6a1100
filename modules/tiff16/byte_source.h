#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace qwtiff16 {

// The bytes of one TIFF file: an open file read with pread, or a memory block that the caller
// keeps alive. Reads never touch anything outside [0, Size()). Reading is safe from several
// threads; the object itself is owned by one open file.
class ByteSource {
public:
    // nullptr when the file cannot be opened or is not a regular file.
    static std::unique_ptr<ByteSource> OpenFile(const char* path);
    static std::unique_ptr<ByteSource> FromMemory(std::span<const std::uint8_t> bytes);

    ~ByteSource();
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;

    std::uint64_t Size() const { return m_size; }
    // Copies up to `length` bytes from `offset`; returns how many were copied (fewer at the
    // end of the data or on a read error).
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const;
    // True when all `length` bytes were copied.
    bool ReadExactly(std::uint64_t offset, void* buffer, std::size_t length) const
    {
        return ReadAt(offset, buffer, length) == length;
    }

private:
    ByteSource() = default;

    int m_fd = -1;
    std::span<const std::uint8_t> m_memory;
    std::uint64_t m_size = 0;
};

} // namespace qwtiff16
