#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text inside the program is UTF-8. These conversions are total: malformed input gives the
// documented result (usually empty text), never an error.

// UTF-16 (up to the first 0 unit) to UTF-8. A high surrogate that is not followed by a low
// surrogate makes the whole result empty; any other unit, a lone low surrogate included, is
// its own code point.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-8 (up to the first 0 byte) to UTF-16. The lead byte decides the sequence length and the
// following bytes are not validated; a sequence cut off by the end of the text ends the result.
std::u16string Utf8ToUtf16(std::string_view text);

// The system code page is UTF-8 on this platform, so the "ANSI" conversions are the identity
// (up to the first 0 byte, like the others).
std::string Utf8ToAnsi(std::string_view text);
std::string AnsiToUtf8(std::string_view text);

// Encodes one code point as 1 to 4 UTF-8 bytes and appends it.
void AppendUtf8(std::string& out, char32_t codePoint);

// At most `limit` bytes of the text, never ending inside a UTF-8 sequence (a character that
// would be split is left out whole).
std::string_view CutUtf8(std::string_view text, std::size_t limit);
