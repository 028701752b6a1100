#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <vistrel/service.h>

// Host-side handling of the boundary records of the service SDK. Every block is malloc'd and
// freed with free(), because a module may be built against another C++ run-time. Main thread.

// A text buffer: the bytes and a terminating NUL; up to 8 bytes inline, longer ones in a block.
// An empty buffer when memory runs out.
HostBuffer MakeHostBuffer(std::string_view text);
// A byte buffer of exactly these bytes (no NUL added).
HostBuffer MakeHostBytes(const void* bytes, size_t size);

// The text of a buffer: up to its first NUL and never past its size; empty for a buffer
// without a block.
std::string HostBufferText(const HostBuffer& buffer);

// Frees the block (size > 8 and a pointer) and zeroes the record.
void FreeHostBuffer(HostBuffer& buffer);
void FreeHostBufferList(HostBufferList& list);
void FreeHostTagList(HostTagList& list);

// A copy in a new block; false (and an empty result) when memory runs out.
bool CopyHostBuffer(const HostBuffer& source, HostBuffer& copy);
// Changes the size, keeping the leading bytes (new bytes are zero); false when memory runs out,
// the buffer then unchanged.
bool ResizeHostBuffer(HostBuffer& buffer, size_t size);

// Frees what the list held, then fills it with one text buffer per entry. False when memory
// runs out; the list is then empty.
bool FillHostBufferList(HostBufferList& list, const std::vector<std::string>& texts);

// Owns a buffer that a host function received by value and must free before returning.
class OwnedHostBuffer {
public:
    explicit OwnedHostBuffer(HostBuffer buffer) : m_buffer(buffer) {}
    ~OwnedHostBuffer() { FreeHostBuffer(m_buffer); }
    OwnedHostBuffer(const OwnedHostBuffer&) = delete;
    OwnedHostBuffer& operator=(const OwnedHostBuffer&) = delete;

    std::string Text() const { return HostBufferText(m_buffer); }
    const HostBuffer& Get() const { return m_buffer; }

private:
    HostBuffer m_buffer;
};
