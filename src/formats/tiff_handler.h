#pragma once

#include "library/format_handler.h"

// TIFF pictures: tags from the file's own directories.
class TiffHandler : public FormatHandler {
public:
    // 8-bit pictures come upright; 16-bit pictures as stored, for the caller to turn.
    int ReadImage(const std::string& path, DibImage& image) override;
    // IFD1's reduced image, or the 16-bit module's thumbnail; MediaError{0} when there is none.
    int ReadThumbnail(const std::string& path, DibImage& image) override;
    bool OrientsItsOwnPictures() const override { return !m_is16Bit; }
    int ThumbnailOrientation(const std::string& path) override;
    int ReadTags(const std::string& path, TagSet& tags) override;
    int ReadMediumInfo(const std::string& path, MediumInfo& info) override;
    int Orientation(const std::string& path) override;

private:
    bool m_is16Bit = false; // set by ReadImage: the 16-bit module read the picture
};
