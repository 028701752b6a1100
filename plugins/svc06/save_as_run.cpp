#include "save_as_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <random>
#include <set>
#include <system_error>

#include "formats/medium_info_reader.h"
#include "formats/tag_set.h"
#include "service_client.h"

namespace {

constexpr int kPictureKind = 1;
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;

struct WriteResultRow {
    std::int32_t code;
    const char* text;
};

// WriteImage's failures as the SDK header documents them.
constexpr WriteResultRow kWriteResults[] = {
    {-1, "not enough memory"},
    {-5001, "the file cannot be created or written"},
    {-5003, "the picture is empty or not 24 bits deep"},
    {-5004, "the format is not supported"},
    {-5005, "its tags cannot be written"},
};

std::string WriteResultText(std::int32_t code)
{
    for (const WriteResultRow& row : kWriteResults) {
        if (row.code == code)
            return row.text;
    }
    return "the picture writer failed (" + std::to_string(code) + ")";
}

std::string NameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

std::string ErrnoText(int error)
{
    return std::strerror(error);
}

class OwnedImage {
public:
    OwnedImage() = default;
    ~OwnedImage() { VistrelFreeImage(&image); }
    OwnedImage(const OwnedImage&) = delete;
    OwnedImage& operator=(const OwnedImage&) = delete;
    HostImage image{};
};

class OwnedTagList {
public:
    OwnedTagList() = default;
    ~OwnedTagList() { VistrelFreeTagList(&list); }
    OwnedTagList(const OwnedTagList&) = delete;
    OwnedTagList& operator=(const OwnedTagList&) = delete;
    HostTagList list{};
};

bool FillBytes(HostBuffer& buffer, const std::vector<std::uint8_t>& bytes)
{
    buffer = HostBuffer{};
    unsigned char* target = buffer.data.bytes;
    if (bytes.size() > VISTREL_HOST_BUFFER_INLINE) {
        target = static_cast<unsigned char*>(std::malloc(bytes.size()));
        if (!target)
            return false;
        buffer.data.pointer = target;
    }
    if (!bytes.empty())
        std::memcpy(target, bytes.data(), bytes.size());
    buffer.size = bytes.size();
    return true;
}

// The picture's tags, each number carrying its directory in the upper half (1 primary to 5
// maker note) as the writers read it: the host's plain tag list would file GPS LatitudeRef (1)
// under interoperability, which new files leave empty, and a maker note's tags 0 and 0x10 under
// GPS. Position tags are turned upright with the pixels that ReadImage gives. False when the
// file's tags cannot be read.
bool ReadDirectoryTags(const std::string& path, std::uint32_t uprightWidth, std::uint32_t uprightHeight,
                       HostTagList& list)
{
    FileMetadata metadata = ReadFileMetadata(path);
    if (metadata.formatIndex < 0 || metadata.error != 0)
        return false;
    TagSet& tags = metadata.tags;
    if (const TagEntry* orientation = tags.Find(TagMap::kPrimary, kOrientationTag);
        orientation && orientation->type == kShortType && orientation->value.size() >= 2) {
        std::uint16_t value = 0;
        std::memcpy(&value, orientation->value.data(), sizeof value);
        const bool quarterTurn = value >= 5 && value <= 8;
        tags.NormaliseOrientation(quarterTurn ? uprightHeight : uprightWidth,
                                  quarterTurn ? uprightWidth : uprightHeight);
    }
    size_t count = 0;
    for (int map = 0; map < kTagMapCount; ++map)
        count += tags.Count(static_cast<TagMap>(map));
    VistrelFreeTagList(&list);
    if (count == 0)
        return true;
    auto* items = static_cast<HostTagRecord*>(std::calloc(count, sizeof(HostTagRecord)));
    if (!items)
        return false;
    list = HostTagList{count, items};
    size_t index = 0;
    for (int map = 0; map < kTagMapCount; ++map) {
        for (const TagEntry& entry : tags.Entries(static_cast<TagMap>(map))) {
            HostTagRecord& record = items[index++];
            record.tag = (static_cast<std::uint32_t>(map + 1) << 16) | entry.tag;
            record.type = entry.type;
            record.count = entry.count;
            if (!FillBytes(record.value, entry.value)) {
                VistrelFreeTagList(&list);
                return false;
            }
        }
    }
    return true;
}

bool Exists(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

// A file that a copy may replace: a regular file, or a link to one.
bool IsReplaceable(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool IsSameFile(const std::string& source, const std::string& target)
{
    std::error_code error;
    return std::filesystem::equivalent(source, target, error) && !error;
}

// Moves `from` to the free name `to`; EEXIST when the name was taken meanwhile.
int MoveWithoutReplacing(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the no-replace rename: a hard link refuses a taken name just as well.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno == EEXIST)
        return EEXIST;
    // Neither (some removable and network file systems): the last look before the move.
    if (Exists(to))
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

enum class NewFileResult { kWritten, kNameTaken, kFailed };

// Writes a copy under a name that is free now without ever replacing a file that appears there
// meanwhile: `write` fills a placeholder created exclusively beside the target (with a new
// file's permissions, which the writer keeps), and the placeholder takes the target's name
// only if that is still free. Nothing is left behind on failure.
NewFileResult WriteNewFile(const std::string& target, const std::function<std::int32_t(const std::string&)>& write,
                           std::string& reason)
{
    const size_t slash = target.rfind('/');
    const std::string folder = target.substr(0, slash + 1);
    const std::string name = target.substr(slash + 1);
    std::random_device random;
    std::string placeholder;
    int error = EEXIST;
    for (int attempt = 0; attempt < 16 && error == EEXIST; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
        placeholder = folder + "." + name + ".saving-" + suffix;
        const int fd = ::open(placeholder.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        error = fd < 0 ? errno : 0;
        if (fd >= 0)
            ::close(fd);
    }
    if (error != 0) {
        const std::string shown = slash == 0 ? "/" : folder.empty() ? "." : target.substr(0, slash);
        reason = "cannot create a file in " + shown + ": " + ErrnoText(error);
        return NewFileResult::kFailed;
    }
    if (const std::int32_t code = write(placeholder); code != 0) {
        ::unlink(placeholder.c_str());
        reason = WriteResultText(code);
        return NewFileResult::kFailed;
    }
    error = MoveWithoutReplacing(placeholder, target);
    if (error != 0) {
        ::unlink(placeholder.c_str());
        if (error == EEXIST)
            return NewFileResult::kNameTaken;
        reason = "cannot name the file " + name + ": " + ErrnoText(error);
        return NewFileResult::kFailed;
    }
    return NewFileResult::kWritten;
}

class SaveAsJob {
public:
    SaveAsJob(const SaveAsRequest& request, const SaveAsHooks& hooks) : m_request(request), m_hooks(hooks) {}

    SaveAsOutcome Run(const std::vector<std::string>& paths)
    {
        for (size_t i = 0; i < paths.size(); ++i) {
            if ((m_hooks.proceed && !m_hooks.proceed(i, paths[i])) || !GuardedSaveOne(paths[i])) {
                m_outcome.cancelled = true;
                m_outcome.notReached = paths.size() - i; // the picture asked about is not saved either
                break;
            }
        }
        return std::move(m_outcome);
    }

private:
    enum class Conflict { kNone, kReplace, kSkip, kCancel };

    // The user's choice for an existing target; with nobody to ask, the file stays.
    Conflict Resolve(const std::string& target)
    {
        const auto ask = [&] { return m_hooks.askReplace ? m_hooks.askReplace(target) : ConflictAnswer::kSkip; };
        switch (m_answers.Resolve(ask)) {
        case ConflictAction::kReplace:
            return Conflict::kReplace;
        case ConflictAction::kSkip:
            return Conflict::kSkip;
        case ConflictAction::kCancel:
            break;
        }
        return Conflict::kCancel;
    }

    // A failed allocation fails this picture only; nothing may be thrown into the host.
    bool GuardedSaveOne(const std::string& path)
    {
        try {
            return SaveOne(path);
        } catch (const std::bad_alloc&) {
            m_outcome.failed.push_back(NameOf(path) + ": " + WriteResultText(-1));
            return true;
        }
    }

    // False when the user cancelled at this picture (nothing was written for it).
    bool SaveOne(const std::string& path)
    {
        ServiceClient& host = ServiceClient::Instance();
        const std::string name = NameOf(path);
        if (host.FileType(path) != kPictureKind) {
            m_outcome.skipped.push_back(name + ": not a picture");
            return true;
        }
        const std::string target = JoinPath(m_request.folder, TargetFileName(path, m_request.format));
        if (IsSameFile(path, target)) {
            m_outcome.onItself.push_back(name);
            return true;
        }
        if (m_written.contains(target)) {
            m_outcome.skipped.push_back(name + ": another selected picture was saved as " + NameOf(target));
            return true;
        }
        Conflict conflict = Conflict::kNone;
        if (Exists(target)) {
            if (!IsReplaceable(target)) {
                m_outcome.failed.push_back(name + ": " + NameOf(target) + " in that folder is not a file");
                return true;
            }
            conflict = Resolve(target);
            if (conflict == Conflict::kCancel)
                return false;
            if (conflict == Conflict::kSkip) {
                m_outcome.skipped.push_back(name + ": " + NameOf(target) + " exists and was kept");
                return true;
            }
        }

        OwnedImage image;
        if (!host.ReadImage(path, image.image)) {
            m_outcome.failed.push_back(name + ": the picture cannot be read");
            return true;
        }
        // A copy without the tags still holds the picture, and the writer adds the tags every
        // file needs; the source's tags are its shooting date and camera data when it has them.
        OwnedTagList tags;
        if (m_request.format != SaveFormat::kBmp)
            ReadDirectoryTags(path, image.image.width, image.image.height, tags.list);
        const auto write = [&](const std::string& to) {
            return host.WriteImage(to, image.image, RowOf(m_request.format).name, &tags.list,
                                   WriteNumberFor(m_request.format, m_request.quality));
        };

        for (;;) {
            if (conflict == Conflict::kReplace) {
                if (const std::int32_t code = write(target); code != 0) {
                    m_outcome.failed.push_back(name + ": " + WriteResultText(code));
                    return true;
                }
                return Saved(target);
            }
            std::string reason;
            switch (WriteNewFile(target, write, reason)) {
            case NewFileResult::kWritten:
                return Saved(target);
            case NewFileResult::kFailed:
                m_outcome.failed.push_back(name + ": " + reason);
                return true;
            case NewFileResult::kNameTaken:
                break;
            }
            // A file of that name appeared while the copy was made: the user decides after all.
            conflict = IsReplaceable(target) ? Resolve(target) : Conflict::kSkip;
            if (conflict == Conflict::kCancel)
                return false;
            if (conflict == Conflict::kSkip) {
                m_outcome.skipped.push_back(name + ": " + NameOf(target) + " exists and was kept");
                return true;
            }
        }
    }

    bool Saved(const std::string& target)
    {
        m_outcome.saved.push_back(target);
        m_written.insert(target);
        return true;
    }

    const SaveAsRequest& m_request;
    const SaveAsHooks& m_hooks;
    ConflictAnswers m_answers;
    SaveAsOutcome m_outcome;
    std::set<std::string> m_written;
};

void AppendList(std::string& text, const char* heading, const std::vector<std::string>& lines)
{
    if (lines.empty())
        return;
    text += "\n\n";
    text += heading;
    for (const std::string& line : lines)
        text += "\n" + line;
}

} // namespace

SaveAsOutcome SaveAsFiles(const std::vector<std::string>& paths, const SaveAsRequest& request,
                          const SaveAsHooks& hooks)
{
    return SaveAsJob(request, hooks).Run(paths);
}

bool SaveAsRanCleanly(const SaveAsOutcome& outcome)
{
    return outcome.failed.empty() && outcome.skipped.empty() && outcome.onItself.empty() && !outcome.cancelled;
}

std::string SaveAsReport(const SaveAsOutcome& outcome, const std::string& folder)
{
    std::string text;
    const size_t saved = outcome.saved.size();
    if (saved == 0)
        text = "No picture was saved.";
    else
        text = "Saved " + std::to_string(saved) + (saved == 1 ? " picture" : " pictures") + " in " + folder + ".";
    if (outcome.cancelled)
        text += "\nCancelled: " + std::to_string(outcome.notReached) + (outcome.notReached == 1 ? " file was" : " files were")
                + " not handled.";
    AppendList(text, "These pictures would have replaced themselves and were not saved:", outcome.onItself);
    AppendList(text, "Skipped:", outcome.skipped);
    AppendList(text, "These pictures could not be saved:", outcome.failed);
    return text;
}

void ReportChangesToHost(const SaveAsOutcome& outcome, const std::string& folder)
{
    if (outcome.saved.empty())
        return;
    ServiceClient& host = ServiceClient::Instance();
    if (!IsSameFile(host.TextValue("GetCurrentFolder"), folder))
        return;
    host.SetUpdateFolder(folder);
    for (const std::string& path : outcome.saved)
        host.AddUpdateFile(path);
}
