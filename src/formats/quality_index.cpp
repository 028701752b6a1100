#include "formats/quality_index.h"

#include <array>
#include <cstring>
#include <string_view>

#include "formats/tag_set.h"

namespace {

// The maker writes its quality word padded with spaces to 7 characters; the match is exact.
constexpr std::array<std::string_view, 3> kQualityWords = {
    std::string_view("BASIC  \0", 8),
    std::string_view("NORMAL \0", 8),
    std::string_view("FINE   \0", 8),
};

// Camera models whose compression ratios follow their own steps. None are known to us, so
// every camera takes the general ratio rule.
constexpr std::array<std::string_view, 0> kRatioStepModels = {};

uint16_t ShortValue(const TagEntry& entry)
{
    uint16_t value = 0;
    if (entry.type == kTiffShort && entry.value.size() >= 2)
        std::memcpy(&value, entry.value.data(), 2);
    else if (entry.type == kTiffLong && entry.value.size() >= 4) {
        uint32_t wide = 0;
        std::memcpy(&wide, entry.value.data(), 4);
        value = static_cast<uint16_t>(wide);
    }
    return value;
}

bool IsRatioStepModel(const TagSet& tags)
{
    const TagEntry* model = tags.Find(TagMap::kPrimary, 0x0110);
    if (!model || model->value.empty())
        return false;
    const std::string_view text(reinterpret_cast<const char*>(model->value.data()));
    for (std::string_view name : kRatioStepModels) {
        if (text == name)
            return true;
    }
    return false;
}

} // namespace

int QualityIndexOf(const TagSet& tags)
{
    if (const TagEntry* photometric = tags.Find(TagMap::kPrimary, 0x0106)) {
        switch (ShortValue(*photometric)) {
        case 2: return 4;
        case 6: return 3;
        default: return -1;
        }
    }
    if (const TagEntry* quality = tags.Find(TagMap::kMakerNote, 0x1000)) {
        if (quality->value.size() == 8) {
            const std::string_view text(reinterpret_cast<const char*>(quality->value.data()), 8);
            for (size_t i = 0; i < kQualityWords.size(); ++i) {
                if (text == kQualityWords[i])
                    return static_cast<int>(i);
            }
        }
        return -1;
    }
    const TagEntry* ratio = tags.Find(TagMap::kExif, 0x9102);
    if (!ratio || ratio->type != kTiffRational || ratio->value.size() < 8)
        return -1;
    uint32_t numerator = 0;
    uint32_t denominator = 0;
    std::memcpy(&numerator, ratio->value.data(), 4);
    std::memcpy(&denominator, ratio->value.data() + 4, 4);
    if (denominator == 0)
        return -1;
    if (IsRatioStepModel(tags)) {
        if (numerator % denominator == 0 && (numerator / denominator == 2 || numerator / denominator == 3))
            return 2;
        if (static_cast<uint64_t>(numerator) * 5 == static_cast<uint64_t>(denominator) * 7)
            return 1;
        return -1;
    }
    const double value = static_cast<double>(numerator) / denominator;
    if (value < 1.7)
        return 0;
    if (value < 2.83)
        return 1;
    return 2;
}
