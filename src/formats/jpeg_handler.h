#pragma once

#include "library/format_handler.h"

// JPEG pictures: tags and medium information from the Exif segment, or, for a JPEG without
// Exif (or with Exif data too damaged to read), from the frame header alone.
class JpegHandler : public FormatHandler {
public:
    int ReadTags(const std::string& path, TagSet& tags) override;
    int ReadMediumInfo(const std::string& path, MediumInfo& info) override;
    int Orientation(const std::string& path) override;
    int ThumbnailOrientation(const std::string& path) override;
};
