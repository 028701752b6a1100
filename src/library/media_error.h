#pragma once

// The one exception type of the format handlers and image code: a plain code that every caller
// of a handler catches (for example -1 out of memory, -5000 unreadable, -5001 malformed,
// -5002 no Exif data). Nothing else is thrown.
struct MediaError {
    int code;
};
