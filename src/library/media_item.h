#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "library/dib_image.h"
#include "library/medium_info.h"

// File attribute bits as the listing reports them.
inline constexpr uint32_t kAttributeReadOnly = 0x01;
inline constexpr uint32_t kAttributeHidden = 0x02; // a name beginning with "."
inline constexpr uint32_t kAttributeFolder = 0x10;

// Counts of one sub-folder's entries, one level deep.
struct FolderCounts {
    int32_t entries = 0; // known-type files and sub-folders
    int32_t subFolders = 0;
    int32_t images = 0;
    int32_t movies = 0;
    int32_t sounds = 0;
    int32_t raws = 0;
    int32_t unknownFiles = 0; // not included in `entries`
    uint64_t allBytes = 0;
    uint64_t imageBytes = 0;
    uint64_t movieBytes = 0;
    uint64_t soundBytes = 0;

    friend bool operator==(const FolderCounts&, const FolderCounts&) = default;
};

// A decoded picture shared between the worker that makes it and the views that draw it.
using SharedPicture = std::shared_ptr<const DibImage>;

// One picture slot: the worker publishes a finished picture, the views take a reference to
// draw it, and trimming empties it; none of them waits for another.
class PictureSlot {
public:
    SharedPicture Get() const { return m_picture.load(std::memory_order_acquire); }
    void Set(SharedPicture picture) { m_picture.store(std::move(picture), std::memory_order_release); }
    void Clear() { Set(nullptr); }
    bool IsFilled() const { return Get() != nullptr; }

private:
    std::atomic<SharedPicture> m_picture;
};

// The pictures a view can ask for, one request flag each.
enum class PictureRequest { Enlarged, LargeThumbnail, SmallThumbnail, FolderPreview, Count };

inline constexpr int kFolderPreviewPictures = 4;

// The lazily loaded part of an item, filled by the thumbnail worker or the information loader.
// The worker writes the information fields only while `loaded` is false and then sets it
// (release); other threads read them only after seeing `loaded` set (acquire). The pictures
// live in slots that are safe to use from both threads.
struct MediaItemDetail {
    std::atomic<bool> loaded{false};
    MediumInfo mediumInfo;
    std::string statusText; // the status bar text of a pointed item
    std::string tooltipText;
    std::string infoText; // the information area's lines
    uint64_t fileSize = 0;
    uint32_t datePartFlags = 0;
    bool hasSoundMemo = false;

    // Set by the views (main thread), read by the worker.
    std::array<std::atomic<bool>, static_cast<size_t>(PictureRequest::Count)> requests{};
    // Set by the worker when a requested single picture could not be made.
    std::atomic<bool> failed{false};
    // The enlarged picture and one thumbnail per size code (0 to 3).
    PictureSlot enlarged;
    std::array<PictureSlot, 4> thumbnails;
    // Up to four pictures of a folder's contents, per size code, and the first one's path
    // (written by the worker before the first preview picture is published).
    std::array<std::array<PictureSlot, kFolderPreviewPictures>, 4> folderPreview;
    std::string folderPreviewPath;

    bool IsRequested(PictureRequest request) const { return requests[static_cast<size_t>(request)].load(); }
    void Request(PictureRequest request) { requests[static_cast<size_t>(request)].store(true); }
    // Frees every picture and clears the requests; the information stays.
    void ReleasePictures();
};

// Date-part flags: which parts of the date label are set apart.
inline constexpr uint32_t kDatePartYear = 0x20;
inline constexpr uint32_t kDatePartMonth = 0x10;
inline constexpr uint32_t kDatePartDay = 0x08;
inline constexpr uint32_t kDatePartHour = 0x04;
inline constexpr uint32_t kDatePartMinute = 0x02;
inline constexpr uint32_t kDatePartSecond = 0x01;

// The seven report columns.
enum class ItemText { Name, Type, Size, Date, Dimensions, Duration, Detail, Count };

// One listed file or folder. Owned by the item list; moving an item moves its detail with it.
struct MediaItem {
    std::array<std::string, static_cast<size_t>(ItemText::Count)> texts;
    std::string fullPath;
    std::string fileName;
    int32_t typeNumber = 0; // 0 for folders and non-media files
    std::string typeName;   // for a folder, the language text of "ZORX_TypeFolder"
    uint32_t attributes = 0;
    uint64_t size = 0;
    uint64_t date = 0; // file time: 100 ns units since 1601-01-01 UTC
    int32_t width = 0;
    int32_t height = 0;
    uint32_t durationMs = 0;
    uint32_t datePartFlags = 0;
    uint32_t dayKey = 0; // period mode: (year - 1900) << 16 | month (0-11) << 8 | day
    bool hidden = false; // period mode: takes no part in hit testing, moves or counts
    bool selected = false;
    bool isImage = false;
    bool isMovie = false;
    bool isSound = false;
    bool isRaw = false;
    bool hasExif = false;
    bool adobeRgb = false;
    bool hasSoundMemo = false;
    std::string soundMemoPath;
    bool hasRawCompanion = false;
    std::string rawCompanionPath;
    FolderCounts folderCounts;
    std::unique_ptr<MediaItemDetail> detail;

    bool IsFolder() const { return (attributes & kAttributeFolder) != 0; }
    const std::string& Text(ItemText which) const { return texts[static_cast<size_t>(which)]; }
};
