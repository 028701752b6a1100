#include "library/status_lines.h"

#include "framework/string_table.h"
#include "framework/text_template.h"

namespace {

uint64_t Kilobytes(uint64_t bytes)
{
    return bytes >> 10;
}

std::string CountKbLine(std::string_view key, int32_t count, uint64_t bytes)
{
    return FillTemplate(GetText(key), {count, Kilobytes(bytes)});
}

std::string CountLine(std::string_view key, int32_t count)
{
    return FillTemplate(GetText(key), {count});
}

std::string NameLine(std::string_view name)
{
    return GetText("ZORX_FolderName:") + " " + std::string(name);
}

void AddIfCounted(std::vector<std::string>& lines, std::string_view key, int32_t count, uint64_t bytes)
{
    if (count != 0)
        lines.push_back(CountKbLine(key, count, bytes));
}

std::vector<std::string> NothingSelectedLines(const LibraryCounts& counts, std::string_view folderPath,
                                              bool periodMode)
{
    std::vector<std::string> lines{NameLine(FolderDisplayName(folderPath))};
    if (periodMode) {
        lines.push_back(CountLine("ZORX_AllItems:N", counts.items));
        return lines;
    }
    lines.push_back(CountKbLine("ZORX_AllItems:NKB", counts.items, counts.allBytes));
    AddIfCounted(lines, "ZORX_Images:NKB", counts.existentImages, counts.imageBytes);
    AddIfCounted(lines, "ZORX_Movies:NKB", counts.existentMovies, counts.movieBytes);
    AddIfCounted(lines, "ZORX_Sounds:NKB", counts.existentSounds, counts.soundBytes);
    if (counts.subFolders != 0)
        lines.push_back(CountLine("ZORX_SubFolders:N", counts.subFolders));
    return lines;
}

std::vector<std::string> SelectedFolderLines(const MediaItem& folder)
{
    const FolderCounts& contents = folder.folderCounts;
    std::vector<std::string> lines{NameLine(folder.fileName)};
    AddIfCounted(lines, "ZORX_AllItems:NKB", contents.entries, contents.allBytes);
    AddIfCounted(lines, "ZORX_Images:NKB", contents.images, contents.imageBytes);
    AddIfCounted(lines, "ZORX_Movies:NKB", contents.movies, contents.movieBytes);
    AddIfCounted(lines, "ZORX_Sounds:NKB", contents.sounds, contents.soundBytes);
    return lines;
}

std::vector<std::string> SelectionLines(const LibraryCounts& counts, bool periodMode)
{
    struct Row {
        std::string_view countKey;
        std::string_view countKbKey;
        int32_t count;
        uint64_t bytes;
    };
    const Row rows[] = {
        {"ZORX_Images:N", "ZORX_Images:NKB", counts.selectedImages, counts.selectedImageBytes},
        {"ZORX_Movies:N", "ZORX_Movies:NKB", counts.selectedMovies, counts.selectedMovieBytes},
        {"ZORX_Sounds:N", "ZORX_Sounds:NKB", counts.selectedSounds, counts.selectedSoundBytes},
    };
    std::vector<std::string> lines;
    if (periodMode)
        lines.push_back(CountLine("ZORX_SelectedItemsN", counts.selectedItems));
    else
        lines.push_back(CountKbLine("ZORX_SelectedItemsNKB", counts.selectedItems, counts.selectedBytes));
    for (const Row& row : rows) {
        if (row.count == 0)
            continue;
        lines.push_back(periodMode ? CountLine(row.countKey, row.count)
                                   : CountKbLine(row.countKbKey, row.count, row.bytes));
    }
    return lines;
}

const MediaItem* SingleSelectedFolder(std::span<const MediaItem> items, const LibraryCounts& counts)
{
    if (counts.selectedItems != 1 || counts.selectedFolders != 1)
        return nullptr;
    for (const MediaItem& item : items) {
        if (item.selected && !item.hidden && item.IsFolder())
            return &item;
    }
    return nullptr;
}

} // namespace

std::string FolderDisplayName(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    if (path == "/")
        return "/";
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::vector<std::string> InformationLines(std::span<const MediaItem> items, const LibraryCounts& counts,
                                          std::string_view folderPath, bool periodMode)
{
    if (counts.selectedItems == 0)
        return NothingSelectedLines(counts, folderPath, periodMode);
    if (const MediaItem* folder = SingleSelectedFolder(items, counts))
        return SelectedFolderLines(*folder);
    return SelectionLines(counts, periodMode);
}

std::string StatusBarText(const LibraryCounts& counts, const MediaItem* pointedItem, bool periodMode)
{
    if (pointedItem)
        return pointedItem->detail ? pointedItem->detail->statusText : std::string();
    if (periodMode)
        return FillTemplate(GetText("ZORX_StatusNumFiles"), {counts.items});
    return FillTemplate(GetText("ZORX_StatusNumFilesEtc"),
                        {counts.items, counts.existentImages, counts.existentMovies, counts.existentSounds,
                         counts.subFolders});
}
