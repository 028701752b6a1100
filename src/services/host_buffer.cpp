#include "services/host_buffer.h"

#include <cstdlib>
#include <cstring>

namespace {

unsigned char* BytesOf(HostBuffer& buffer)
{
    return buffer.size <= VISTREL_HOST_BUFFER_INLINE ? buffer.data.bytes
                                                     : static_cast<unsigned char*>(buffer.data.pointer);
}

} // namespace

HostBuffer MakeHostBytes(const void* bytes, size_t size)
{
    HostBuffer buffer{};
    if (size > VISTREL_HOST_BUFFER_INLINE) {
        buffer.data.pointer = std::malloc(size);
        if (!buffer.data.pointer)
            return HostBuffer{};
    }
    buffer.size = size;
    if (size != 0)
        std::memcpy(BytesOf(buffer), bytes, size);
    return buffer;
}

HostBuffer MakeHostBuffer(std::string_view text)
{
    HostBuffer buffer{};
    const size_t size = text.size() + 1;
    if (size > VISTREL_HOST_BUFFER_INLINE) {
        buffer.data.pointer = std::malloc(size);
        if (!buffer.data.pointer)
            return HostBuffer{};
    }
    buffer.size = size;
    unsigned char* bytes = BytesOf(buffer);
    std::memcpy(bytes, text.data(), text.size());
    bytes[text.size()] = 0;
    return buffer;
}

std::string HostBufferText(const HostBuffer& buffer)
{
    const unsigned char* bytes = VistrelBufferBytes(&buffer);
    if (!bytes || buffer.size == 0)
        return {};
    const void* nul = std::memchr(bytes, 0, buffer.size);
    const size_t length = nul ? static_cast<const unsigned char*>(nul) - bytes : buffer.size;
    return std::string(reinterpret_cast<const char*>(bytes), length);
}

void FreeHostBuffer(HostBuffer& buffer)
{
    if (buffer.size > VISTREL_HOST_BUFFER_INLINE && buffer.data.pointer)
        std::free(buffer.data.pointer);
    std::memset(&buffer, 0, sizeof buffer);
}

void FreeHostBufferList(HostBufferList& list)
{
    for (uint64_t i = 0; list.items && i < list.count; ++i)
        FreeHostBuffer(list.items[i]);
    std::free(list.items);
    std::memset(&list, 0, sizeof list);
}

void FreeHostTagList(HostTagList& list)
{
    for (uint64_t i = 0; list.items && i < list.count; ++i)
        FreeHostBuffer(list.items[i].value);
    std::free(list.items);
    std::memset(&list, 0, sizeof list);
}

bool CopyHostBuffer(const HostBuffer& source, HostBuffer& copy)
{
    const unsigned char* bytes = VistrelBufferBytes(&source);
    if (source.size > VISTREL_HOST_BUFFER_INLINE && !bytes) {
        copy = HostBuffer{};
        return source.size == 0;
    }
    copy = MakeHostBytes(bytes, source.size);
    return copy.size == source.size;
}

bool ResizeHostBuffer(HostBuffer& buffer, size_t size)
{
    if (size == buffer.size)
        return true;
    HostBuffer resized{};
    if (size > VISTREL_HOST_BUFFER_INLINE) {
        resized.data.pointer = std::calloc(size, 1);
        if (!resized.data.pointer)
            return false;
    }
    resized.size = size;
    const unsigned char* old = VistrelBufferBytes(&buffer);
    const size_t kept = size < buffer.size ? size : buffer.size;
    if (old && kept != 0)
        std::memcpy(BytesOf(resized), old, kept);
    FreeHostBuffer(buffer);
    buffer = resized;
    return true;
}

bool FillHostBufferList(HostBufferList& list, const std::vector<std::string>& texts)
{
    FreeHostBufferList(list);
    if (texts.empty())
        return true;
    auto* items = static_cast<HostBuffer*>(std::calloc(texts.size(), sizeof(HostBuffer)));
    if (!items)
        return false;
    for (size_t i = 0; i < texts.size(); ++i) {
        items[i] = MakeHostBuffer(texts[i]);
        if (items[i].size == 0) {
            HostBufferList partial{i, items};
            FreeHostBufferList(partial);
            return false;
        }
    }
    list.count = texts.size();
    list.items = items;
    return true;
}
