#include "library/format_handler.h"

#include "library/media_error.h"
#include "library/medium_info.h"

int FormatHandler::ReadImage(const std::string&, DibImage&)
{
    return 0;
}

int FormatHandler::ReadThumbnail(const std::string&, DibImage&)
{
    throw MediaError{0};
}

int FormatHandler::ReadTags(const std::string&, TagSet&)
{
    return 0;
}

int FormatHandler::ReadMediumInfo(const std::string&, MediumInfo&)
{
    return 0;
}

int FormatHandler::Orientation(const std::string&)
{
    return 1;
}

int FormatHandler::ThumbnailOrientation(const std::string&)
{
    return 1;
}

void FormatHandler::PictureShape(const std::string& path, int32_t& width, int32_t& height)
{
    MediumInfo info;
    ReadMediumInfo(path, info);
    width = info.width;
    height = info.height;
}
