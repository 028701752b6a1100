#pragma once

#include "library/format_handler.h"

// JPEG pictures: tags and medium information from the Exif segment, or, for a JPEG without
// Exif (or with Exif data too damaged to read), from the frame header alone.
class JpegHandler : public FormatHandler {
public:
    // The whole picture through libjpeg; a file without its final end marker decodes as far as
    // its data goes.
    int ReadImage(const std::string& path, DibImage& image) override;
    // The Exif thumbnail; throws MediaError{0} when the file has none.
    int ReadThumbnail(const std::string& path, DibImage& image) override;
    int ReadTags(const std::string& path, TagSet& tags) override;
    int ReadMediumInfo(const std::string& path, MediumInfo& info) override;
    int Orientation(const std::string& path) override;
    // The thumbnail directory's own orientation; when it has none, the main picture's, since
    // cameras store the thumbnail turned like the picture and often tag only the picture.
    int ThumbnailOrientation(const std::string& path) override;

private:
    // The orientation found by the last read, so that a read followed by the orientation
    // query opens the file once.
    std::string m_orientationPath;
    int m_orientation = 1;
};
