#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "library/media_item.h"

// The counts of the current item list that the status bar, the information area and the
// plug-in host report. Recomputed from the list on the main thread after every listing and
// selection change; items hidden in period mode take no part.
struct LibraryCounts {
    int32_t items = 0;
    int32_t subFolders = 0;

    int32_t existentImages = 0;
    int32_t existentMovies = 0;
    int32_t existentSounds = 0;
    int32_t existentExifImages = 0;
    int32_t existentRaws = 0;
    int32_t existentJpegs = 0;
    int32_t existentNotAdobeRgbs = 0;     // images
    int32_t existentExifNotAdobeRgbs = 0; // Exif images
    uint64_t allBytes = 0;
    uint64_t imageBytes = 0;
    uint64_t movieBytes = 0;
    uint64_t soundBytes = 0;

    int32_t selectedItems = 0;
    int32_t selectedFolders = 0;
    int32_t selectedImages = 0;
    int32_t selectedMovies = 0;
    int32_t selectedSounds = 0;
    int32_t selectedExifImages = 0;
    int32_t selectedRaws = 0;
    int32_t selectedAvis = 0;
    int32_t selectedNotAdobeRgbs = 0;
    int32_t selectedExifNotAdobeRgbs = 0;
    uint64_t selectedBytes = 0;
    uint64_t selectedImageBytes = 0;
    uint64_t selectedMovieBytes = 0;
    uint64_t selectedSoundBytes = 0;

    // The folder counts of all selected folders added up.
    FolderCounts selectedFolderContents;

    friend bool operator==(const LibraryCounts&, const LibraryCounts&) = default;
};

// One pass over the list. Items whose detail object is loaded first take its Exif and Adobe RGB
// flags, which is why the items are not const.
LibraryCounts Recount(std::span<MediaItem> items);

// A counter by the name that plug-ins ask for ("NumSelectedImages", "NumExistentRAFs", ...); the
// "NumSelectedAll..." names add the files directly inside selected folders. The 32-bit count
// comes back sign-extended; nullopt for an unknown name.
std::optional<int64_t> CountValue(const LibraryCounts& counts, std::string_view name);

// Three parallel lists of equal length handed to plug-ins and file operations: each entry's full
// path, the path of its sound memo and of its RAW companion (empty text when it has none).
struct FileLists {
    std::vector<std::string> paths;
    std::vector<std::string> memoPaths;
    std::vector<std::string> companionPaths;
};

// The selected items in list order.
FileLists SelectedFileLists(std::span<const MediaItem> items);
// Every item in list order.
FileLists AllFileLists(std::span<const MediaItem> items);
