#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "library/media_item.h"

struct MediumInfo;

// The item list of the current folder: every visible sub-folder and media file as a MediaItem,
// with sound memos and RAW companions attached to their pictures, in the user's sort order.
// Lives on the main thread. Listing and refreshing destroy detail objects, so the thumbnail
// worker must be cancelled before ChangeFolder and Refresh.
class ItemList {
public:
    // Reads one file's medium information; 1 on success. The default reads through the file's
    // format handler (ReadMediumInfo).
    using InformationReader = std::function<int(const std::string& path, MediumInfo& info)>;
    // Told the progress in per mille after each item; returns false when the user cancels.
    using Progress = std::function<bool(int perMille)>;

    ItemList();
    explicit ItemList(InformationReader reader);

    // Discards the list, its details and the all-information-loaded flag, then lists `folder`.
    // A folder that cannot be read gives an empty list.
    void ChangeFolder(const std::string& folder);

    // Lists the current folder again. A new item keeps the detail object (and so the decoded
    // pictures) of the old item with the same file name and sound-memo state; all other details
    // are destroyed.
    void Refresh();
    // The next Refresh reads this file again instead of keeping what was loaded for it (it was
    // rewritten under the same name).
    void MarkChanged(const std::string& fileName) { m_changedNames.insert(fileName); }

    // Takes the sort type stored in the settings, without loading anything; the next listing
    // sorts by it. Out-of-range values mean sorting by name.
    void RestoreSortType(int sortType);

    // Ignored in period mode and for types outside 0 to 5. Types 3, 4 and 5 need every item's
    // medium information: unless it is already loaded, LoadAllInformation runs with `progress`,
    // and when the user cancels the list is sorted by name instead. Returns the effective type.
    int SetSortType(int sortType, bool periodMode, const Progress& progress = {});

    // Reads the medium information of every file in list order, so that dates, dimensions and
    // durations can be sorted by. False when cancelled (the items read so far keep what was
    // read); true sets the all-information-loaded flag.
    bool LoadAllInformation(const Progress& progress = {});

    // Recomputes the report texts of one item.
    void RefreshItemTexts(size_t index, bool periodMode);

    // Sorts again by the effective sort type (after the caller changed item keys).
    void Sort();

    const std::string& Folder() const { return m_folder; }
    std::vector<MediaItem>& Items() { return m_items; }
    const std::vector<MediaItem>& Items() const { return m_items; }
    size_t Count() const { return m_items.size(); }
    int SubFolderCount() const { return m_subFolderCount; }
    int RequestedSortType() const { return m_requestedSortType; }
    int EffectiveSortType() const { return m_effectiveSortType; }
    bool AllInformationLoaded() const { return m_allInformationLoaded; }

private:
    // What the medium information contributes to an item's sort keys.
    struct ItemInformation {
        uint64_t shootingTime = 0; // UTC file time, 0 when the file has no shooting date
        int32_t width = 0;
        int32_t height = 0;
        uint32_t durationMs = 0;
        bool hasSoundMemo = false;
    };

    void Publish();
    ItemInformation ReadInformation(const MediaItem& item) const;
    void ApplyInformation(MediaItem& item) const;

    // The size and file time of each file as last listed, before any shooting date replaced it.
    struct ListedStamp {
        uint64_t size = 0;
        uint64_t fileTime = 0;
        friend bool operator==(const ListedStamp&, const ListedStamp&) = default;
    };
    void RecordStamps();

    std::unordered_set<std::string> m_changedNames;
    std::unordered_map<std::string, ListedStamp> m_stamps;
    InformationReader m_reader;
    std::string m_folder;
    std::vector<MediaItem> m_items;
    int m_subFolderCount = 0;
    int m_requestedSortType = 0;
    int m_effectiveSortType = 0;
    bool m_allInformationLoaded = false;
    // By file name: what has been read for the current folder, so that a refresh or a second
    // load after a cancel does not read the same files again.
    std::unordered_map<std::string, ItemInformation> m_information;
};
