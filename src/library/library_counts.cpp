#include "library/library_counts.h"

#include <array>

namespace {

struct CountValueRow {
    std::string_view name;
    int32_t LibraryCounts::*count;
    int32_t FolderCounts::*folderCount; // added from the selected folders' contents, or nullptr
};

constexpr std::array<CountValueRow, 19> kCountValues = {{
    {"NumSelectedAllImages", &LibraryCounts::selectedImages, &FolderCounts::images},
    {"NumSelectedAllMovies", &LibraryCounts::selectedMovies, &FolderCounts::movies},
    {"NumSelectedAllSounds", &LibraryCounts::selectedSounds, &FolderCounts::sounds},
    {"NumSelectedAllRAFs", &LibraryCounts::selectedRaws, &FolderCounts::raws},
    {"NumSelectedImages", &LibraryCounts::selectedImages, nullptr},
    {"NumSelectedMovies", &LibraryCounts::selectedMovies, nullptr},
    {"NumSelectedSounds", &LibraryCounts::selectedSounds, nullptr},
    {"NumSelectedExifImages", &LibraryCounts::selectedExifImages, nullptr},
    {"NumSelectedRAFs", &LibraryCounts::selectedRaws, nullptr},
    {"NumSelectedAVIs", &LibraryCounts::selectedAvis, nullptr},
    {"NumSelectedNotAdobeRGBs", &LibraryCounts::selectedNotAdobeRgbs, nullptr},
    {"NumSelectedExifNotAdobeRGBs", &LibraryCounts::selectedExifNotAdobeRgbs, nullptr},
    {"NumExistentImages", &LibraryCounts::existentImages, nullptr},
    {"NumExistentMovies", &LibraryCounts::existentMovies, nullptr},
    {"NumExistentSounds", &LibraryCounts::existentSounds, nullptr},
    {"NumExistentExifImages", &LibraryCounts::existentExifImages, nullptr},
    {"NumExistentRAFs", &LibraryCounts::existentRaws, nullptr},
    {"NumExistentNotAdobeRGBs", &LibraryCounts::existentNotAdobeRgbs, nullptr},
    {"NumExistentExifNotAdobeRGBs", &LibraryCounts::existentExifNotAdobeRgbs, nullptr},
}};

void AddFolderCounts(FolderCounts& sum, const FolderCounts& add)
{
    sum.entries += add.entries;
    sum.subFolders += add.subFolders;
    sum.images += add.images;
    sum.movies += add.movies;
    sum.sounds += add.sounds;
    sum.raws += add.raws;
    sum.unknownFiles += add.unknownFiles;
    sum.allBytes += add.allBytes;
    sum.imageBytes += add.imageBytes;
    sum.movieBytes += add.movieBytes;
    sum.soundBytes += add.soundBytes;
}

void AppendLists(FileLists& lists, const MediaItem& item)
{
    lists.paths.push_back(item.fullPath);
    lists.memoPaths.push_back(item.hasSoundMemo ? item.soundMemoPath : std::string());
    lists.companionPaths.push_back(item.hasRawCompanion ? item.rawCompanionPath : std::string());
}

template <typename Take> FileLists ListsOf(std::span<const MediaItem> items, Take take)
{
    FileLists lists;
    for (const MediaItem& item : items) {
        if (take(item))
            AppendLists(lists, item);
    }
    return lists;
}

} // namespace

LibraryCounts Recount(std::span<MediaItem> items)
{
    LibraryCounts counts;
    for (MediaItem& item : items) {
        if (item.hidden)
            continue;
        if (item.detail && item.detail->loaded) {
            item.hasExif = item.detail->mediumInfo.hasExif != 0;
            item.adobeRgb = item.detail->mediumInfo.adobeRgb != 0;
        }
        const bool exifImage = item.isImage && item.hasExif;
        const bool notAdobeRgb = item.isImage && !item.adobeRgb;
        const bool exifNotAdobeRgb = exifImage && !item.adobeRgb;

        ++counts.items;
        counts.allBytes += item.size;
        if (item.IsFolder())
            ++counts.subFolders;
        if (item.isImage) {
            ++counts.existentImages;
            counts.imageBytes += item.size;
        }
        if (item.isMovie) {
            ++counts.existentMovies;
            counts.movieBytes += item.size;
        }
        if (item.isSound) {
            ++counts.existentSounds;
            counts.soundBytes += item.size;
        }
        counts.existentExifImages += exifImage;
        counts.existentRaws += item.isRaw;
        counts.existentJpegs += item.typeName == "JPEG";
        counts.existentNotAdobeRgbs += notAdobeRgb;
        counts.existentExifNotAdobeRgbs += exifNotAdobeRgb;

        if (!item.selected)
            continue;
        ++counts.selectedItems;
        counts.selectedBytes += item.size;
        if (item.IsFolder()) {
            ++counts.selectedFolders;
            AddFolderCounts(counts.selectedFolderContents, item.folderCounts);
        }
        if (item.isImage) {
            ++counts.selectedImages;
            counts.selectedImageBytes += item.size;
        }
        if (item.isMovie) {
            ++counts.selectedMovies;
            counts.selectedMovieBytes += item.size;
            counts.selectedAvis += item.typeName == "AVI";
        }
        if (item.isSound) {
            ++counts.selectedSounds;
            counts.selectedSoundBytes += item.size;
        }
        counts.selectedExifImages += exifImage;
        counts.selectedRaws += item.isRaw;
        counts.selectedNotAdobeRgbs += notAdobeRgb;
        counts.selectedExifNotAdobeRgbs += exifNotAdobeRgb;
    }
    return counts;
}

std::optional<int64_t> CountValue(const LibraryCounts& counts, std::string_view name)
{
    for (const CountValueRow& row : kCountValues) {
        if (row.name != name)
            continue;
        int32_t value = counts.*row.count;
        if (row.folderCount)
            value += counts.selectedFolderContents.*row.folderCount;
        return static_cast<int64_t>(value);
    }
    return std::nullopt;
}

FileLists SelectedFileLists(std::span<const MediaItem> items)
{
    return ListsOf(items, [](const MediaItem& item) { return item.selected && !item.hidden; });
}

FileLists AllFileLists(std::span<const MediaItem> items)
{
    return ListsOf(items, [](const MediaItem&) { return true; });
}
