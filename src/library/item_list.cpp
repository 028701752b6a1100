#include "library/item_list.h"

#include <algorithm>
#include <array>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>

#include "formats/medium_info_reader.h"
#include "framework/string_table.h"
#include "library/file_time.h"
#include "library/item_sort.h"
#include "library/item_texts.h"
#include "library/media_type.h"
#include "library/medium_info.h"

namespace {

// The picture types that a sound memo may belong to, in the order they are tried: when a JPEG
// and its RAW twin share the memo's name, the JPEG gets it.
constexpr std::array<std::string_view, 4> kMemoPictureTypes = {"JPEG", "TIFF", "RAF", "BMP"};

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

enum class EntryKind { Folder, File, Other };

struct Entry {
    EntryKind kind = EntryKind::Other;
    uint64_t size = 0;
    struct timespec modified {};
    uid_t owner = 0;
    mode_t mode = 0;
};

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Names beginning with "." are what this platform hides.
bool IsHiddenName(const char* name)
{
    return name[0] == '.';
}

// Follows links, as a folder reached through a link is still a folder; a dangling link is
// described by the link itself. False when the entry has gone since it was enumerated.
bool StatEntry(int dirFd, const char* name, Entry& entry)
{
    struct stat info {};
    if (::fstatat(dirFd, name, &info, 0) != 0 && ::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    entry.modified = info.st_mtim;
    entry.owner = info.st_uid;
    entry.mode = info.st_mode;
    if (S_ISDIR(info.st_mode)) {
        entry.kind = EntryKind::Folder;
    } else if (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) {
        entry.kind = EntryKind::File;
        entry.size = S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
    } else {
        // Pipes, sockets and devices are no pictures, and opening a pipe to read it would block.
        entry.kind = EntryKind::Other;
    }
    return true;
}

// The entry type that readdir already knows spares a stat for files that will be dropped.
bool NeedsStat(const dirent& entry, std::string_view typeName)
{
    return !(entry.d_type == DT_REG && typeName.empty());
}

FolderCounts CountFolder(int parentFd, const char* name)
{
    FolderCounts counts;
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return counts;
    DirHandle dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return counts;
    }
    const int dirFd = ::dirfd(dir.get());
    while (const dirent* found = ::readdir(dir.get())) {
        // Hidden entries count here, unlike in the listing.
        if (IsDotOrDotDot(found->d_name))
            continue;
        const std::string_view typeName = TypeNameOfPath(found->d_name);
        Entry entry;
        if (!NeedsStat(*found, typeName))
            entry.kind = EntryKind::File;
        else if (!StatEntry(dirFd, found->d_name, entry))
            continue;
        if (entry.kind == EntryKind::Folder) {
            ++counts.entries;
            ++counts.subFolders;
        } else if (entry.kind == EntryKind::File && !typeName.empty()) {
            ++counts.entries;
            counts.allBytes += entry.size;
            if (IsImageType(typeName)) {
                ++counts.images;
                counts.imageBytes += entry.size;
            }
            if (IsMovieType(typeName)) {
                ++counts.movies;
                counts.movieBytes += entry.size;
            }
            if (IsSoundType(typeName)) {
                ++counts.sounds;
                counts.soundBytes += entry.size;
            }
            if (IsRawType(typeName))
                ++counts.raws;
        } else {
            ++counts.unknownFiles;
        }
    }
    return counts;
}

std::string JoinPath(const std::string& folder, std::string_view name)
{
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

// The read-only attribute means that the user may not write the entry (access(W_OK) fails).
// Asking the kernel costs as much as the stat itself, so the usual cases are decided from what
// is known already: a read-only volume, the superuser, and the user's own files and folders,
// whose owner permission bits are exact even under access control lists. Only other people's
// entries are asked about.
class WriteAccess {
public:
    explicit WriteAccess(int dirFd)
        : m_user(::geteuid())
    {
        struct statvfs volume {};
        m_readOnlyVolume = ::fstatvfs(dirFd, &volume) == 0 && (volume.f_flag & ST_RDONLY) != 0;
    }

    uint32_t Attribute(int dirFd, const char* name, const Entry& entry) const
    {
        if (m_readOnlyVolume)
            return kAttributeReadOnly;
        const bool plain = S_ISREG(entry.mode) || S_ISDIR(entry.mode);
        if (plain && m_user == 0)
            return 0;
        if (plain && entry.owner == m_user)
            return (entry.mode & S_IWUSR) != 0 ? 0 : kAttributeReadOnly;
        return ::faccessat(dirFd, name, W_OK, AT_EACCESS) == 0 ? 0 : kAttributeReadOnly;
    }

private:
    uid_t m_user;
    bool m_readOnlyVolume = false;
};

MediaItem MakeItem(const std::string& folder, const char* name, const Entry& entry, uint32_t readOnly)
{
    MediaItem item;
    item.fileName = name;
    item.fullPath = JoinPath(folder, item.fileName);
    item.attributes = readOnly | (entry.kind == EntryKind::Folder ? kAttributeFolder : 0);
    item.size = entry.size;
    item.date = FileTimeFromUnix(entry.modified);
    return item;
}

void SetFileType(MediaItem& item, std::string_view typeName)
{
    item.typeName = typeName;
    item.typeNumber = TypeNumberOfTypeName(typeName);
    item.isImage = IsImageType(typeName);
    item.isMovie = IsMovieType(typeName);
    item.isSound = IsSoundType(typeName);
    item.isRaw = IsRawType(typeName);
}

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// The entries of one enumeration, sorted into the list and the two collections that are
// attached to pictures afterwards.
struct Enumeration {
    std::vector<MediaItem> items;
    std::vector<MediaItem> memos;      // ".wav" files
    std::vector<MediaItem> companions; // ".rag" files
};

Enumeration EnumerateFolder(const std::string& folder)
{
    Enumeration out;
    DirHandle dir(::opendir(folder.c_str()));
    if (!dir)
        return out;
    const int dirFd = ::dirfd(dir.get());
    const WriteAccess writeAccess(dirFd);
    const std::string& folderTypeName = GetText("ZORX_TypeFolder");
    while (const dirent* found = ::readdir(dir.get())) {
        if (IsDotOrDotDot(found->d_name) || IsHiddenName(found->d_name))
            continue;
        const std::string_view typeName = TypeNameOfPath(found->d_name);
        if (!NeedsStat(*found, typeName))
            continue;
        Entry entry;
        if (!StatEntry(dirFd, found->d_name, entry))
            continue;
        if (entry.kind == EntryKind::Folder) {
            MediaItem item
                = MakeItem(folder, found->d_name, entry, writeAccess.Attribute(dirFd, found->d_name, entry));
            item.typeName = folderTypeName;
            item.folderCounts = CountFolder(dirFd, found->d_name);
            out.items.push_back(std::move(item));
            continue;
        }
        if (entry.kind != EntryKind::File || typeName.empty())
            continue;
        MediaItem item
            = MakeItem(folder, found->d_name, entry, writeAccess.Attribute(dirFd, found->d_name, entry));
        SetFileType(item, typeName);
        if (typeName == "RAG")
            out.companions.push_back(std::move(item));
        else if (typeName == "WAV")
            out.memos.push_back(std::move(item));
        else
            out.items.push_back(std::move(item));
    }
    return out;
}

// Pictures by lower-case base name, each list in list order. Lower-case keys that are equal
// mean names of equal length that differ at most in case.
using PictureIndex = std::unordered_map<std::string, std::vector<size_t>>;

PictureIndex IndexPictures(const std::vector<MediaItem>& items)
{
    PictureIndex index;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].isImage)
            index[LowerAscii(BaseNameOfPath(items[i].fileName))].push_back(i);
    }
    return index;
}

// The first picture of `typeName` for this base name that has no `taken` attachment yet. A
// picture takes one memo and one companion: on a case-sensitive disk "A.WAV" and "a.wav" may
// both match, and the second must not push the first out of sight.
template <typename Taken>
MediaItem* FindPicture(std::vector<MediaItem>& items, const PictureIndex& index, std::string_view baseName,
                       std::string_view typeName, Taken taken)
{
    const auto found = index.find(LowerAscii(baseName));
    if (found == index.end())
        return nullptr;
    for (size_t i : found->second) {
        if (items[i].typeName == typeName && !taken(items[i]))
            return &items[i];
    }
    return nullptr;
}

void AttachMemos(std::vector<MediaItem>& items, const PictureIndex& index, std::vector<MediaItem>& memos)
{
    std::vector<MediaItem> unmatched;
    for (MediaItem& memo : memos) {
        const std::string_view baseName = BaseNameOfPath(memo.fileName);
        MediaItem* picture = nullptr;
        for (std::string_view typeName : kMemoPictureTypes) {
            picture = FindPicture(items, index, baseName, typeName,
                                  [](const MediaItem& item) { return item.hasSoundMemo; });
            if (picture)
                break;
        }
        if (picture) {
            picture->hasSoundMemo = true;
            picture->soundMemoPath = memo.fullPath;
        } else {
            unmatched.push_back(std::move(memo));
        }
    }
    // A sound file that belongs to no picture is a recording of its own.
    for (MediaItem& sound : unmatched)
        items.push_back(std::move(sound));
}

void AttachCompanions(std::vector<MediaItem>& items, const PictureIndex& index,
                      const std::vector<MediaItem>& companions)
{
    for (const MediaItem& companion : companions) {
        MediaItem* raw = FindPicture(items, index, BaseNameOfPath(companion.fileName), "RAF",
                                     [](const MediaItem& item) { return item.hasRawCompanion; });
        // A companion without its RAW picture is of no use on its own and is not listed.
        if (raw) {
            raw->hasRawCompanion = true;
            raw->rawCompanionPath = companion.fullPath;
        }
    }
}

std::vector<MediaItem> ListFolderItems(const std::string& folder)
{
    Enumeration found = EnumerateFolder(folder);
    if (found.memos.empty() && found.companions.empty())
        return std::move(found.items);
    const PictureIndex index = IndexPictures(found.items);
    AttachMemos(found.items, index, found.memos);
    AttachCompanions(found.items, index, found.companions);
    return std::move(found.items);
}

uint32_t DurationMs(int32_t hundredths)
{
    // Readers report -1 when the length is unknown.
    if (hundredths <= 0)
        return 0;
    return static_cast<uint32_t>(std::min<int64_t>(static_cast<int64_t>(hundredths) * 10, UINT32_MAX));
}

int DefaultReader(const std::string& path, MediumInfo& info)
{
    return ReadMediumInfo(path, info);
}

} // namespace

ItemList::ItemList()
    : ItemList(DefaultReader)
{
}

ItemList::ItemList(InformationReader reader)
    : m_reader(reader ? std::move(reader) : InformationReader(DefaultReader))
{
}

void ItemList::ChangeFolder(const std::string& folder)
{
    m_items.clear();
    m_information.clear();
    m_allInformationLoaded = false;
    m_folder = folder;
    m_items = ListFolderItems(m_folder);
    RecordStamps();
    Publish();
}

void ItemList::RecordStamps()
{
    m_stamps.clear();
    m_stamps.reserve(m_items.size());
    for (const MediaItem& item : m_items)
        m_stamps.emplace(item.fileName, ListedStamp{item.size, item.date});
}

void ItemList::Refresh()
{
    std::vector<MediaItem> old = std::move(m_items);
    m_items = ListFolderItems(m_folder);
    const std::unordered_map<std::string, ListedStamp> oldStamps = std::move(m_stamps);
    RecordStamps();

    std::unordered_map<std::string_view, MediaItem*> oldByName;
    oldByName.reserve(old.size());
    for (MediaItem& item : old)
        oldByName.emplace(item.fileName, &item);
    for (MediaItem& item : m_items) {
        const auto found = oldByName.find(item.fileName);
        if (found == oldByName.end())
            continue;
        // The selection survives a refresh; what was loaded survives only for an unchanged file
        // (a picture still being copied in by another program is read again once complete).
        item.selected = found->second->selected;
        const auto stamp = oldStamps.find(item.fileName);
        const bool rewritten = m_changedNames.count(item.fileName) != 0 || stamp == oldStamps.end()
                               || !(stamp->second == ListedStamp{item.size, item.date});
        if (rewritten)
            m_changedNames.insert(item.fileName);
        else if (found->second->hasSoundMemo == item.hasSoundMemo)
            item.detail = std::move(found->second->detail);
    }
    for (const std::string& name : m_changedNames)
        m_information.erase(name);
    m_changedNames.clear();

    // The new items start from the file system's values; give back what was read before, and
    // when the whole folder had been read, read the files that are new so that it still is.
    std::unordered_map<std::string, ItemInformation> kept;
    for (MediaItem& item : m_items) {
        if (item.IsFolder())
            continue;
        auto known = m_information.find(item.fileName);
        if (known != m_information.end() && known->second.hasSoundMemo == item.hasSoundMemo) {
            kept.insert(m_information.extract(known));
        } else if (m_allInformationLoaded) {
            kept.insert_or_assign(item.fileName, ReadInformation(item));
        }
    }
    m_information = std::move(kept);
    for (MediaItem& item : m_items) {
        if (!item.IsFolder())
            ApplyInformation(item);
    }
    Publish();
}

void ItemList::RestoreSortType(int sortType)
{
    m_requestedSortType = IsValidSortType(sortType) ? sortType : kSortByName;
    m_effectiveSortType = m_requestedSortType;
}

int ItemList::SetSortType(int sortType, bool periodMode, const Progress& progress)
{
    if (periodMode || !IsValidSortType(sortType))
        return m_effectiveSortType;
    m_requestedSortType = sortType;
    m_effectiveSortType = sortType;
    if (SortNeedsAllInformation(sortType) && !m_allInformationLoaded && !LoadAllInformation(progress))
        m_effectiveSortType = kSortByName;
    Sort();
    return m_effectiveSortType;
}

bool ItemList::LoadAllInformation(const Progress& progress)
{
    const size_t count = m_items.size();
    for (size_t i = 0; i < count; ++i) {
        MediaItem& item = m_items[i];
        if (!item.IsFolder()) {
            const auto known = m_information.find(item.fileName);
            if (known == m_information.end() || known->second.hasSoundMemo != item.hasSoundMemo)
                m_information.insert_or_assign(item.fileName, ReadInformation(item));
            ApplyInformation(item);
        }
        ::RefreshItemTexts(item, false);
        const int perMille = static_cast<int>((i + 1) * 1000 / count);
        if (progress && !progress(perMille))
            return false;
    }
    m_allInformationLoaded = true;
    return true;
}

void ItemList::RefreshItemTexts(size_t index, bool periodMode)
{
    if (index < m_items.size())
        ::RefreshItemTexts(m_items[index], periodMode);
}

void ItemList::Sort()
{
    SortItems(m_items, m_effectiveSortType);
}

void ItemList::Publish()
{
    for (MediaItem& item : m_items) {
        if (!item.detail) {
            item.detail = std::make_unique<MediaItemDetail>();
            item.detail->hasSoundMemo = item.hasSoundMemo;
        }
        ::RefreshItemTexts(item, false);
    }
    Sort();
    m_subFolderCount = static_cast<int>(
        std::count_if(m_items.begin(), m_items.end(), [](const MediaItem& item) { return item.IsFolder(); }));
}

ItemList::ItemInformation ItemList::ReadInformation(const MediaItem& item) const
{
    MediumInfo record;
    if (item.detail && item.detail->loaded) {
        // The thumbnail worker has read it already, a memo's duration included.
        record = item.detail->mediumInfo;
    } else {
        if (!m_reader(item.fullPath, record))
            record = MediumInfo{};
        if (item.hasSoundMemo) {
            MediumInfo memo;
            record.durationHundredths = m_reader(item.soundMemoPath, memo) ? memo.durationHundredths : 0;
        }
    }
    ItemInformation information;
    information.hasSoundMemo = item.hasSoundMemo;
    if (record.shootingDate.HasDate())
        information.shootingTime = FileTimeFromLocalSystemTime(record.shootingDate);
    information.width = record.width;
    information.height = record.height;
    information.durationMs = DurationMs(record.durationHundredths);
    return information;
}

void ItemList::ApplyInformation(MediaItem& item) const
{
    const auto known = m_information.find(item.fileName);
    if (known == m_information.end())
        return;
    const ItemInformation& information = known->second;
    if (information.shootingTime != 0)
        item.date = information.shootingTime;
    item.width = information.width;
    item.height = information.height;
    item.durationMs = information.durationMs;
}
