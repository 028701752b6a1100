#pragma once

#include <string>
#include <string_view>

// Classification of file names by extension (the text after the last "." of the last path
// component). No content is sniffed.

// The type name of a path ("JPEG", "TIFF", ...), empty when the extension is not a media one.
std::string_view TypeNameOfPath(std::string_view path);

// The 1-based position of the first map row with this type name; 0 when none.
int TypeNumberOfTypeName(std::string_view typeName);

bool IsMediaFileName(std::string_view path);
bool IsImageType(std::string_view typeName);
bool IsMovieType(std::string_view typeName);
bool IsSoundType(std::string_view typeName);
bool IsRawType(std::string_view typeName);

// The last path component.
std::string_view FileNameOfPath(std::string_view path);
// The last component without its last extension.
std::string_view BaseNameOfPath(std::string_view path);
// The extension of the last component in lower case, without the dot; empty when none.
std::string LowerExtensionOfPath(std::string_view path);
