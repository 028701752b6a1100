#pragma once

#include <memory>
#include <string>

#include "library/format_handler.h"

// RAF (RAW) pictures, shown, thumbnailed and described through the JPEG that the camera embeds
// in the file: its main picture, its Exif thumbnail, its tags and orientation. The picture size
// comes from the sensor header's size records, or from the embedded JPEG when a file has none.
// Failures of the container are thrown as MediaError (-5000 unreadable, -5001 malformed, -1 out
// of memory); an embedded JPEG without readable Exif data is a picture without tags.
// The file is read once per path and use; runs on any thread.
class RafHandler : public FormatHandler {
public:
    RafHandler();
    ~RafHandler() override;

    // Throws kMediaMalformed when the embedded JPEG cannot be decoded.
    int ReadImage(const std::string& path, DibImage& image) override;
    // Throws MediaError{0} when the embedded JPEG has no usable Exif thumbnail.
    int ReadThumbnail(const std::string& path, DibImage& image) override;
    int ReadTags(const std::string& path, TagSet& tags) override;
    int ReadMediumInfo(const std::string& path, MediumInfo& info) override;
    // The embedded JPEG's size: the sensor's record size can have another shape (sensors
    // whose cells are laid out diagonally store twice the width), which would cut the
    // thumbnail to a strip.
    void PictureShape(const std::string& path, int32_t& width, int32_t& height) override;
    int Orientation(const std::string& path) override;
    int ThumbnailOrientation(const std::string& path) override;

private:
    struct Loaded;
    const Loaded& Load(const std::string& path);

    std::string m_path;
    std::unique_ptr<Loaded> m_loaded;
};
