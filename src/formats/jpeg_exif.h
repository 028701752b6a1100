#pragma once

#include <string>

class ExifReader;
class TiffStream;

// The Exif handling shared by the handlers of formats that carry a JPEG with Exif data (JPEG
// files and the picture inside a RAF file).

// Opens the JPEG's Exif data. Missing, malformed or unreadable Exif data leaves a plain JPEG
// (false); running out of memory is thrown as MediaError.
bool OpenJpegExif(ExifReader& reader, const TiffStream& jpeg);
bool OpenJpegExifFile(ExifReader& reader, const std::string& path);

// The interoperability index of an Adobe RGB picture is exactly "R03" and a zero byte.
bool InteropDeclaresAdobeRgb(const ExifReader& reader);

// The thumbnail directory's own orientation; when it has none, the main picture's, since
// cameras store the thumbnail turned like the picture and often tag only the picture.
int EmbeddedThumbnailOrientation(const ExifReader& reader);
