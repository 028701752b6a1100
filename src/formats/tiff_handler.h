#pragma once

#include "library/format_handler.h"

// TIFF pictures: tags from the file's own directories.
class TiffHandler : public FormatHandler {
public:
    int ReadTags(const std::string& path, TagSet& tags) override;
    int ReadMediumInfo(const std::string& path, MediumInfo& info) override;
    int Orientation(const std::string& path) override;
};
