#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include <tiffio.h>

// libtiff's client procedures over one of our byte sources (anything with
// `std::size_t ReadAt(std::uint64_t, void*, std::size_t) const` and `Size()`), shared by the
// program's TIFF reader and the 16-bit module. Reads never leave the source; writing is
// refused; the file is closed by the source's owner. Internal to those two readers.
template <typename Source> struct LibtiffClient {
    const Source* source = nullptr;
    std::uint64_t position = 0;
    bool failed = false; // set by the per-file error handler

    static LibtiffClient& Of(thandle_t handle) { return *static_cast<LibtiffClient*>(handle); }

    static tmsize_t Read(thandle_t handle, void* buffer, tmsize_t size)
    {
        LibtiffClient& client = Of(handle);
        if (size <= 0)
            return 0;
        const std::size_t got
            = client.source->ReadAt(client.position, buffer, static_cast<std::size_t>(size));
        client.position += got;
        return static_cast<tmsize_t>(got);
    }

    static tmsize_t Write(thandle_t, void*, tmsize_t) { return -1; }

    static toff_t Seek(thandle_t handle, toff_t offset, int whence)
    {
        LibtiffClient& client = Of(handle);
        if (whence == SEEK_SET) {
            client.position = offset;
            return client.position;
        }
        const std::uint64_t base = whence == SEEK_CUR ? client.position : client.source->Size();
        // Relative offsets arrive as the two's complement of a negative distance.
        const auto distance = static_cast<std::int64_t>(offset);
        if (distance < 0 && static_cast<std::uint64_t>(-(distance + 1)) + 1 > base)
            return static_cast<toff_t>(-1);
        client.position = base + static_cast<std::uint64_t>(distance);
        return client.position;
    }

    static int Close(thandle_t) { return 0; }

    static toff_t Size(thandle_t handle) { return Of(handle).source->Size(); }

    static void Unmap(thandle_t, void*, toff_t) {}

    // Handlers of one open file: an error marks that file alone (so files read on other
    // threads never see it), and returning 1 keeps libtiff's process-wide handler, which prints
    // to stderr, from being called.
    static int OnError(TIFF*, void* client, const char*, const char*, va_list)
    {
        static_cast<LibtiffClient*>(client)->failed = true;
        return 1;
    }
    static int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }
};

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
struct OptionsFreer {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
