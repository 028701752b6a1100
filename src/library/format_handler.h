#pragma once

#include <cstdint>
#include <string>

class DibImage;
struct MediumInfo;
class TagSet;

// One reader per file format, created for each use and destroyed after it (handlers keep no
// state between uses). Failures are reported by returning 0 or by throwing MediaError; every
// caller catches it. Handlers run on any thread (the thumbnail worker and the main thread).
class FormatHandler {
public:
    virtual ~FormatHandler() = default;

    // The full-size picture as a 24-bit image; 0 when the format has none.
    virtual int ReadImage(const std::string& path, DibImage& image);
    // The picture's embedded thumbnail as a 24-bit image. The default throws MediaError{0}: the
    // file has no embedded thumbnail.
    virtual int ReadThumbnail(const std::string& path, DibImage& image);
    // True when ReadImage already turned the picture upright, so callers must not apply the
    // orientation again.
    virtual bool OrientsItsOwnPictures() const { return false; }

    // The picture's tags (a full read); 0 when the format has none.
    virtual int ReadTags(const std::string& path, TagSet& tags);
    // Fills what the format knows of the record; 0 when the format reports nothing.
    virtual int ReadMediumInfo(const std::string& path, MediumInfo& info);
    // The stored size of the picture that the embedded thumbnail shows, used to cut away the
    // bars of a thumbnail of another shape; by default the medium information's size.
    virtual void PictureShape(const std::string& path, int32_t& width, int32_t& height);
    // Exif orientation (1 to 8) of the main picture and of the embedded thumbnail.
    virtual int Orientation(const std::string& path);
    virtual int ThumbnailOrientation(const std::string& path);

    // Set by the reads: the file carries Exif data / declares the Adobe RGB colour space.
    bool HasExif() const { return m_hasExif; }
    bool IsAdobeRgb() const { return m_adobeRgb; }

protected:
    bool m_hasExif = false;
    bool m_adobeRgb = false;
};
