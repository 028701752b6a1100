#include "byte_source.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qwtiff16 {

std::unique_ptr<ByteSource> ByteSource::OpenFile(const char* path)
{
    // O_NONBLOCK: a pipe named like a picture must not hang the open; it is refused below.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    std::unique_ptr<ByteSource> source(new ByteSource);
    source->m_fd = fd;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0)
        return nullptr;
    source->m_size = static_cast<std::uint64_t>(status.st_size);
    return source;
}

std::unique_ptr<ByteSource> ByteSource::FromMemory(std::span<const std::uint8_t> bytes)
{
    std::unique_ptr<ByteSource> source(new ByteSource);
    source->m_memory = bytes;
    source->m_size = bytes.size();
    return source;
}

ByteSource::~ByteSource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::size_t ByteSource::ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const
{
    if (offset >= m_size || length == 0)
        return 0;
    const std::uint64_t available = m_size - offset;
    if (length > available)
        length = static_cast<std::size_t>(available);
    if (m_fd < 0) {
        std::memcpy(buffer, m_memory.data() + offset, length);
        return length;
    }
    std::size_t done = 0;
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    while (done < length) {
        const ssize_t got = ::pread(m_fd, bytes + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break; // the file shrank under us, or the disk failed: a short read
        done += static_cast<std::size_t>(got);
    }
    return done;
}

} // namespace qwtiff16
