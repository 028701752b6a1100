#pragma once

// The one exception type of the format handlers and image code: a plain code that every caller
// of a handler catches (for example -1 out of memory, -5000 unreadable, -5001 malformed,
// -5002 no Exif data). Nothing else is thrown.
struct MediaError {
    int code;
};

// The integers that format handlers throw.
inline constexpr int kMediaOutOfMemory = -1;
inline constexpr int kMediaUnreadable = -5000;
inline constexpr int kMediaMalformed = -5001;
inline constexpr int kMediaNoExif = -5002;
