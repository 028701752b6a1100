#include "services/host_functions.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <QMenu>
#include <QWidget>

#include "formats/bmp_writer.h"
#include "formats/caller_tag.h"
#include "formats/exif_writer.h"
#include "formats/format_registry.h"
#include "formats/medium_info_reader.h"
#include "formats/picture_reader.h"
#include "formats/tag_set.h"
#include "formats/tiff_types.h"
#include "framework/program_folder.h"
#include "framework/string_table.h"
#include "library/dib_image.h"
#include "library/library_counts.h"
#include "library/media_type.h"
#include "library/medium_info.h"
#include "services/host_buffer.h"
#include "services/service_host.h"
#include "shell/replace_text.h"
#include "shell/settings_store.h"

static_assert(sizeof(HostMediumInfo) == sizeof(MediumInfo), "the engine record is the boundary record");

namespace {

ServiceHost* g_host = nullptr;

// WriteImage results that modules can observe.
constexpr int32_t kWriteOk = 0;
constexpr int32_t kWriteOutOfMemory = -1;
constexpr int32_t kWriteCannotWrite = -5001;
constexpr int32_t kWriteBadPicture = -5003;
constexpr int32_t kWriteBadTagList = -5005;

// The format codes of the picture writer.
constexpr int kFormatJpeg = 0;
constexpr int kFormatTiff = 1;
constexpr int kFormatBmp = 3;

constexpr int kMaxPanelMenus = 256;

// Runs a host function's body; anything thrown (a failed allocation) becomes failure, because
// no exception may cross into a module.
template <typename Body> int32_t Guarded(Body body)
{
    try {
        return body();
    } catch (...) {
        return 0;
    }
}

// A handler may report "no tags" for a file it cannot open; a module must see a failure.
bool IsReadableFile(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

bool SetText(HostBuffer* out, std::string_view text)
{
    FreeHostBuffer(*out);
    *out = MakeHostBuffer(text);
    return out->size != 0;
}

// ---- Files and metadata ----------------------------------------------------------------

int32_t HostGetFileType(HostBuffer path, HostBuffer* typeName)
{
    const OwnedHostBuffer owned(path);
    return Guarded([&]() -> int32_t {
        if (!g_host)
            return 0;
        const FileKind kind = GetFileType(owned.Text());
        if (typeName && !SetText(typeName, kind.name))
            return 0;
        return kind.kind;
    });
}

int32_t HostGetMediumInfo(HostBuffer path, HostMediumInfo* info)
{
    const OwnedHostBuffer owned(path);
    return Guarded([&]() -> int32_t {
        if (!g_host || !info)
            return 0;
        MediumInfo read;
        if (!ReadMediumInfo(owned.Text(), read))
            return 0;
        std::memcpy(info, &read, sizeof read);
        return 1;
    });
}

int32_t HostReadImage(HostBuffer path, HostImage* image)
{
    const OwnedHostBuffer owned(path);
    return Guarded([&]() -> int32_t {
        if (!g_host || !image)
            return 0;
        DibImage picture;
        if (ReadFullImage(owned.Text(), picture) != 0 || picture.IsEmpty())
            return 0;
        VistrelFreeImage(image);
        image->width = picture.Width();
        image->height = picture.Height();
        image->bitsPerPixel = picture.BitsPerPixel();
        image->stride = picture.Stride();
        image->header = picture.ReleaseHeader();
        image->pixels = picture.ReleasePixels();
        return 1;
    });
}

// A tag list whose every value holds exactly type size x count bytes; the writers would
// otherwise read past a module's blocks.
bool IsValidTagList(const HostTagList* tags)
{
    if (!tags || tags->count == 0)
        return true;
    if (!tags->items)
        return false;
    for (uint64_t i = 0; i < tags->count; ++i) {
        const HostTagRecord& record = tags->items[i];
        const uint64_t expected = uint64_t{TiffTypeSize(record.type)} * record.count;
        if (expected == 0 || record.value.size != expected)
            return false;
        if (!VistrelBufferBytes(&record.value))
            return false;
    }
    return true;
}

std::vector<CallerTag> CopyCallerTags(const HostTagList* tags)
{
    std::vector<CallerTag> copied;
    if (!tags)
        return copied;
    copied.reserve(tags->count);
    for (uint64_t i = 0; i < tags->count; ++i) {
        const HostTagRecord& record = tags->items[i];
        const unsigned char* bytes = VistrelBufferBytes(&record.value);
        copied.push_back(CallerTag{record.tag, static_cast<uint16_t>(record.type), record.count,
                                   std::vector<uint8_t>(bytes, bytes + record.value.size)});
    }
    return copied;
}

// The module's picture copied into one of ours; kWriteOk or the failure.
int32_t CopyPicture(const HostImage* image, DibImage& picture)
{
    if (!image || !image->pixels || image->width == 0 || image->height == 0 || image->bitsPerPixel != 24
        || image->stride < DibImage::StrideFor(image->width, 24))
        return kWriteBadPicture;
    if (uint64_t{image->width} * image->height > kMaxPicturePixels)
        return kWriteBadPicture;
    if (!picture.Create(image->width, image->height, 24))
        return kWriteOutOfMemory;
    const auto* source = static_cast<const uint8_t*>(image->pixels);
    const size_t rowBytes = size_t{image->width} * 3;
    for (uint32_t y = 0; y < image->height; ++y)
        std::memcpy(picture.Row(y), source + size_t{y} * image->stride, rowBytes);
    return kWriteOk;
}

int32_t WriteResultCode(ExifWriteResult result)
{
    switch (result) {
    case ExifWriteResult::kOk:
        return kWriteOk;
    case ExifWriteResult::kOutOfMemory:
        return kWriteOutOfMemory;
    case ExifWriteResult::kBadPicture:
        return kWriteBadPicture;
    case ExifWriteResult::kWriteFailed:
        return kWriteCannotWrite;
    case ExifWriteResult::kExifTooLarge:
    case ExifWriteResult::kEncodeFailed:
        return kWriteBadTagList;
    }
    return kWriteCannotWrite;
}

int32_t BmpResultCode(BmpWriteResult result)
{
    switch (result) {
    case BmpWriteResult::kOk:
        return kWriteOk;
    case BmpWriteResult::kUnsupported:
        return kWriteBadPicture;
    case BmpWriteResult::kWriteFailed:
        break;
    }
    return kWriteCannotWrite;
}

int FormatCodeOf(std::string_view name)
{
    if (name == "TIFF")
        return kFormatTiff;
    if (name == "BMP")
        return kFormatBmp;
    return kFormatJpeg;
}

int32_t HostWriteImage(HostBuffer path, const HostImage* image, HostBuffer format, const HostTagList* tags,
                       int32_t number)
{
    const OwnedHostBuffer ownedPath(path);
    const OwnedHostBuffer ownedFormat(format);
    try {
        if (!g_host)
            return 0;
        if (!IsValidTagList(tags))
            return kWriteBadTagList;
        DibImage picture;
        if (const int32_t copied = CopyPicture(image, picture); copied != kWriteOk)
            return copied;
        const std::string target = ownedPath.Text();
        switch (FormatCodeOf(ownedFormat.Text())) {
        case kFormatTiff:
            return WriteResultCode(WriteExifTiff(picture, CopyCallerTags(tags), target));
        case kFormatBmp:
            return BmpResultCode(WriteBmpFile(picture, target));
        default:
            return WriteResultCode(WriteExifJpeg(picture, CopyCallerTags(tags), number, target));
        }
    } catch (...) {
        return kWriteOutOfMemory;
    }
}

bool FillTagRecord(HostTagRecord& record, const TagEntry& entry)
{
    HostBuffer value = MakeHostBytes(entry.value.data(), entry.value.size());
    if (value.size != entry.value.size())
        return false;
    FreeHostBuffer(record.value);
    record.tag = entry.tag;
    record.type = entry.type;
    record.count = entry.count;
    record.reserved = 0;
    record.value = value;
    return true;
}

// The number under which a tag is listed: plain, unless WriteImage would file the plain number
// in another directory (GPS tags 1 and up land in interoperability first, maker-note numbers in
// the primary directory); then the upper half names the directory, so that a module handing the
// list back to WriteImage keeps every tag where it was.
uint32_t ListedTagNumber(uint16_t tag, TagMap map)
{
    if (CallerTagDirectory(tag) == map)
        return tag;
    return (static_cast<uint32_t>(map) + 1) << 16 | tag;
}

int32_t HostGetTagInfoAll(HostBuffer path, HostTagList* tags)
{
    const OwnedHostBuffer owned(path);
    return Guarded([&]() -> int32_t {
        if (!g_host || !tags)
            return 0;
        const std::string file = owned.Text();
        if (!IsReadableFile(file))
            return 0;
        const FileMetadata metadata = ReadFileMetadata(file);
        if (metadata.formatIndex < 0 || metadata.error != 0)
            return 0;
        std::vector<std::pair<const TagEntry*, TagMap>> entries;
        for (int map = 0; map < kTagMapCount; ++map) {
            for (const TagEntry& entry : metadata.tags.Entries(static_cast<TagMap>(map)))
                entries.emplace_back(&entry, static_cast<TagMap>(map));
        }
        FreeHostTagList(*tags);
        if (entries.empty())
            return 1;
        auto* items = static_cast<HostTagRecord*>(std::calloc(entries.size(), sizeof(HostTagRecord)));
        if (!items)
            return 0;
        HostTagList filled{entries.size(), items};
        for (size_t i = 0; i < entries.size(); ++i) {
            if (!FillTagRecord(items[i], *entries[i].first)) {
                FreeHostTagList(filled);
                return 0;
            }
            items[i].tag = ListedTagNumber(entries[i].first->tag, entries[i].second);
        }
        *tags = filled;
        return 1;
    });
}

int32_t HostGetTagInfo(HostBuffer path, int32_t tag, HostTagRecord* record)
{
    const OwnedHostBuffer owned(path);
    return Guarded([&]() -> int32_t {
        if (!g_host || !record)
            return 0;
        const std::string file = owned.Text();
        TagEntry entry;
        bool found = false;
        if (!IsReadableFile(file) || !GetTagInfo(file, static_cast<uint16_t>(tag), entry, found))
            return 0;
        // A number beyond 16 bits names no tag of any file.
        if (!found || tag < 0 || tag > 0xFFFF)
            return 1;
        return FillTagRecord(*record, entry) ? 1 : 0;
    });
}

int32_t HostMovieConvert(HostBuffer source, HostBuffer destination, int32_t, VistrelMovieProgressFn)
{
    // No movie converter is installed: the conversion fails.
    const OwnedHostBuffer ownedSource(source);
    const OwnedHostBuffer ownedDestination(destination);
    return 0;
}

int32_t HostReadCurrentMovieImage(HostImage*)
{
    // No frame grabber is installed.
    return 0;
}

// ---- Texts and folders -----------------------------------------------------------------

int32_t HostGetText(HostBuffer* text, HostBuffer key)
{
    const OwnedHostBuffer owned(key);
    return Guarded([&]() -> int32_t {
        if (!text)
            return 0;
        const std::string name = owned.Text();
        // A module's own key that the string file lacks reads as the key itself.
        const StringTable& strings = LanguageStrings();
        return SetText(text, strings.Contains(name) ? strings.Get(name) : name) ? 1 : 0;
    });
}

int32_t HostReplaceText(void* window)
{
    return Guarded([&]() -> int32_t {
        if (!g_host)
            return 0;
        if (window)
            ReplaceText(static_cast<QWidget*>(window));
        return 1;
    });
}

int32_t HostGetValue(HostBuffer name, int64_t* value)
{
    const OwnedHostBuffer owned(name);
    return Guarded([&]() -> int32_t {
        if (!g_host || !value)
            return 0;
        const std::optional<int64_t> count = CountValue(g_host->Counts(), owned.Text());
        if (!count)
            return 0;
        *value = *count;
        return 1;
    });
}

template <typename Read> int32_t AnswerText(HostBuffer* text, Read read)
{
    return Guarded([&]() -> int32_t {
        if (!g_host || !text)
            return 0;
        return SetText(text, read()) ? 1 : 0;
    });
}

int32_t HostGetSystemFolder(HostBuffer* text)
{
    return AnswerText(text, [] { return ResolveProgramPath("System"); });
}

int32_t HostGetTemporaryFolder(HostBuffer* text)
{
    return AnswerText(text, [] { return ResolveProgramPath("Temporary"); });
}

int32_t HostGetCurrentFolder(HostBuffer* text)
{
    return AnswerText(text, [] { return g_host->CurrentFolder(); });
}

int32_t HostGetCurrentFolderName(HostBuffer* text)
{
    return AnswerText(text, [] { return g_host->CurrentFolderName(); });
}

int32_t HostGetCommandLine(HostBuffer* text)
{
    return AnswerText(text, [] { return g_host->CommandLine(); });
}

int32_t HostGetCommandLineForAutoCapture(HostBuffer* text)
{
    return AnswerText(text, [] { return g_host->CommandLineForAutoCapture(); });
}

int32_t HostGetBaseFolder(HostBuffer* text)
{
    return AnswerText(text, [] {
        std::string folder;
        RegistryReadString(folder, "AutoCapture\\BaseDir", "");
        return folder;
    });
}

int32_t HostGetCurrentFolderData(HostBuffer* bytes)
{
    return Guarded([&]() -> int32_t {
        if (!g_host || !bytes)
            return 0;
        const std::vector<uint8_t> data = g_host->CurrentFolderData();
        HostBuffer filled = MakeHostBytes(data.data(), data.size());
        if (filled.size != data.size())
            return 0;
        FreeHostBuffer(*bytes);
        *bytes = filled;
        return 1;
    });
}

// ---- File lists ------------------------------------------------------------------------

int32_t AnswerLists(ServiceFileScope scope, HostBufferList* paths, HostBufferList* memoPaths,
                    HostBufferList* companionPaths, bool withCompanions)
{
    return Guarded([&]() -> int32_t {
        if (!g_host || !paths || !memoPaths || (withCompanions && !companionPaths))
            return 0;
        const ServiceFileLists lists = g_host->Files(scope);
        bool filled = FillHostBufferList(*paths, lists.paths) && FillHostBufferList(*memoPaths, lists.memoPaths);
        if (withCompanions)
            filled = filled && FillHostBufferList(*companionPaths, lists.companionPaths);
        return filled ? 1 : 0;
    });
}

int32_t HostGetAllFiles(HostBufferList* paths, HostBufferList* memoPaths)
{
    return AnswerLists(ServiceFileScope::All, paths, memoPaths, nullptr, false);
}

int32_t HostGetAllFiles3(HostBufferList* paths, HostBufferList* memoPaths, HostBufferList* companionPaths)
{
    return AnswerLists(ServiceFileScope::All, paths, memoPaths, companionPaths, true);
}

int32_t HostGetSelectedFiles(HostBufferList* paths, HostBufferList* memoPaths)
{
    return AnswerLists(ServiceFileScope::Selected, paths, memoPaths, nullptr, false);
}

int32_t HostGetSelectedFiles3(HostBufferList* paths, HostBufferList* memoPaths, HostBufferList* companionPaths)
{
    return AnswerLists(ServiceFileScope::Selected, paths, memoPaths, companionPaths, true);
}

int32_t HostGetDisplayedFiles(HostBufferList* paths, HostBufferList* memoPaths)
{
    return AnswerLists(ServiceFileScope::Displayed, paths, memoPaths, nullptr, false);
}

int32_t HostGetDisplayedFiles3(HostBufferList* paths, HostBufferList* memoPaths, HostBufferList* companionPaths)
{
    return AnswerLists(ServiceFileScope::Displayed, paths, memoPaths, companionPaths, true);
}

// The program has no focused-file notion for modules: one empty text in each list.
int32_t HostGetFocusedFile3(HostBufferList* paths, HostBufferList* memoPaths, HostBufferList* companionPaths)
{
    return Guarded([&]() -> int32_t {
        if (!g_host || !paths || !memoPaths)
            return 0;
        const std::vector<std::string> empty(1);
        bool filled = FillHostBufferList(*paths, empty) && FillHostBufferList(*memoPaths, empty);
        if (companionPaths)
            filled = filled && FillHostBufferList(*companionPaths, empty);
        return filled ? 1 : 0;
    });
}

int32_t HostGetFocusedFile(HostBufferList* paths, HostBufferList* memoPaths)
{
    return HostGetFocusedFile3(paths, memoPaths, nullptr);
}

// The media files directly inside a folder, in directory order; false when it cannot be read.
bool EnumerateMediaFiles(const std::string& folder, std::vector<std::string>& files)
{
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error)
        return false;
    for (const std::filesystem::directory_entry& entry : entries) {
        std::string path = entry.path().string();
        if (IsMediaFileName(path) && entry.is_regular_file(error))
            files.push_back(std::move(path));
    }
    return true;
}

int32_t HostGetEnumFiles(HostBuffer folder, HostBufferList* paths)
{
    const OwnedHostBuffer owned(folder);
    return Guarded([&]() -> int32_t {
        if (!g_host || !paths)
            return 0;
        std::vector<std::string> files;
        if (!EnumerateMediaFiles(owned.Text(), files)) {
            FreeHostBufferList(*paths);
            return 0;
        }
        return FillHostBufferList(*paths, files) ? 1 : 0;
    });
}

int32_t HostGetEnumFiles2(HostBuffer folder, HostBufferList lists[3])
{
    const OwnedHostBuffer owned(folder);
    return Guarded([&]() -> int32_t {
        if (!g_host || !lists)
            return 0;
        std::vector<std::string> files;
        const bool read = EnumerateMediaFiles(owned.Text(), files);
        std::array<std::vector<std::string>, 3> categories;
        for (std::string& file : files) {
            const std::string_view type = TypeNameOfPath(file);
            if (IsImageType(type))
                categories[0].push_back(std::move(file));
            else if (IsMovieType(type))
                categories[1].push_back(std::move(file));
            else if (IsSoundType(type))
                categories[2].push_back(std::move(file));
        }
        bool filled = true;
        for (size_t i = 0; i < categories.size(); ++i)
            filled = FillHostBufferList(lists[i], categories[i]) && filled;
        return read && filled ? 1 : 0;
    });
}

// ---- Settings --------------------------------------------------------------------------

int32_t HostRegistryReadDword(uint32_t* value, HostBuffer keyPath, uint32_t defaultValue)
{
    const OwnedHostBuffer owned(keyPath);
    return Guarded([&]() -> int32_t {
        if (!g_host || !value)
            return 0;
        return RegistryReadDword(*value, owned.Text(), defaultValue);
    });
}

int32_t HostRegistryWriteDword(HostBuffer keyPath, uint32_t value)
{
    const OwnedHostBuffer owned(keyPath);
    return Guarded([&]() -> int32_t { return g_host ? RegistryWriteDword(owned.Text(), value) : 0; });
}

int32_t HostRegistryReadString(HostBuffer* text, HostBuffer keyPath, HostBuffer defaultText)
{
    const OwnedHostBuffer ownedKey(keyPath);
    const OwnedHostBuffer ownedDefault(defaultText);
    return Guarded([&]() -> int32_t {
        if (!g_host || !text)
            return 0;
        std::string read;
        const int result = RegistryReadString(read, ownedKey.Text(), ownedDefault.Text());
        if (!SetText(text, read))
            return 0;
        return result;
    });
}

int32_t HostRegistryWriteString(HostBuffer keyPath, HostBuffer text)
{
    const OwnedHostBuffer ownedKey(keyPath);
    const OwnedHostBuffer ownedText(text);
    return Guarded([&]() -> int32_t { return g_host ? RegistryWriteString(ownedKey.Text(), ownedText.Text()) : 0; });
}

int32_t HostRegistryDeleteSubKey(HostBuffer keyPath)
{
    const OwnedHostBuffer owned(keyPath);
    return Guarded([&]() -> int32_t { return g_host ? RegistryDeleteSubKey(owned.Text()) : 0; });
}

// ---- Windows and menus -----------------------------------------------------------------

int32_t HostSetWindowLWidthMinMax(int32_t minimum, int32_t maximum)
{
    return Guarded([&]() -> int32_t {
        if (!g_host)
            return 0;
        g_host->SetLeftWidthLimits(minimum, maximum);
        return 1;
    });
}

int32_t HostSetDialogHandle(void* dialog)
{
    return Guarded([&]() -> int32_t {
        if (!g_host)
            return 0;
        g_host->SetDialogWindow(static_cast<QWidget*>(dialog));
        return 1;
    });
}

int32_t HostExit()
{
    return Guarded([&]() -> int32_t {
        if (!g_host)
            return 0;
        g_host->ExitPaneService();
        return 1;
    });
}

constexpr int32_t kFirstProgramMenuCommand = 43000;
constexpr int32_t kFirstToolMenuCommand = 44000;

int32_t HostGetProgramMenuHandle(void** menu, int32_t* firstCommand)
{
    return Guarded([&]() -> int32_t {
        if (!g_host || !menu || !firstCommand)
            return 0;
        *menu = static_cast<void*>(g_host->ProgramMenu());
        *firstCommand = kFirstProgramMenuCommand;
        return 1;
    });
}

int32_t HostGetToolMenuHandle(void** menu, int32_t* firstCommand)
{
    return Guarded([&]() -> int32_t {
        if (!g_host || !menu || !firstCommand)
            return 0;
        *menu = static_cast<void*>(g_host->ToolMenu());
        *firstCommand = kFirstToolMenuCommand;
        return 1;
    });
}

int32_t HostGetMenuCommand(int32_t* running, int32_t* command)
{
    return Guarded([&]() -> int32_t {
        if (!g_host || !running || !command)
            return 0;
        const MenuRunState state = g_host->MenuRun();
        *running = state.running ? 1 : 0;
        *command = state.command;
        return 1;
    });
}

int32_t HostSetNumHelperMenus(int32_t count)
{
    return Guarded([&]() -> int32_t {
        if (!g_host)
            return 0;
        g_host->SetHelperMenuCount(std::clamp(count, 0, kMaxPanelMenus));
        return 1;
    });
}

int32_t HostSetNumProgramMenus(int32_t count)
{
    return Guarded([&]() -> int32_t {
        if (!g_host)
            return 0;
        g_host->SetProgramMenuCount(std::clamp(count, 0, kMaxPanelMenus));
        return 1;
    });
}

// One entry of the helper or program menus of the menu panel.
static int32_t SetPanelMenu(void (ServiceHost::*set)(int, std::string, int32_t, std::string), int32_t index,
                            HostBuffer caption, int64_t command, HostBuffer secondText)
{
    const OwnedHostBuffer ownedCaption(caption);
    const OwnedHostBuffer ownedSecond(secondText);
    return Guarded([&]() -> int32_t {
        if (!g_host)
            return 0;
        if (index >= 0)
            (g_host->*set)(index, ownedCaption.Text(), static_cast<int32_t>(command), ownedSecond.Text());
        return 1;
    });
}

int32_t HostSetHelperMenu(int32_t index, HostBuffer caption, int64_t command, HostBuffer secondText)
{
    return SetPanelMenu(&ServiceHost::SetHelperMenu, index, caption, command, secondText);
}

int32_t HostSetProgramMenu(int32_t index, HostBuffer caption, int64_t command, HostBuffer secondText)
{
    return SetPanelMenu(&ServiceHost::SetProgramMenu, index, caption, command, secondText);
}

int32_t HostSetUpdateFile(HostBuffer path)
{
    const OwnedHostBuffer owned(path);
    return Guarded([&]() -> int32_t {
        if (!g_host)
            return 0;
        g_host->AddUpdateFile(owned.Text());
        return 1;
    });
}

int32_t HostSetUpdateFolder(HostBuffer path)
{
    const OwnedHostBuffer owned(path);
    return Guarded([&]() -> int32_t {
        if (!g_host)
            return 0;
        std::string folder = owned.Text();
        // The root keeps its only separator.
        if (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        g_host->SetUpdateFolder(std::move(folder));
        return 1;
    });
}

int32_t HostSetDllResult(int32_t)
{
    return 1;
}

int32_t HostIsPeriodMode()
{
    return Guarded([&]() -> int32_t { return g_host && g_host->IsPeriodMode() ? 1 : 0; });
}

int32_t HostIsPreviewMode()
{
    return Guarded([&]() -> int32_t { return g_host && g_host->IsPreviewMode() ? 1 : 0; });
}

int32_t HostEnableNetPrint()
{
    return Guarded([&]() -> int32_t { return g_host && g_host->NetPrintEnabled() ? 1 : 0; });
}

// No face detector is installed: detection fails and finds nothing.
int32_t HostFaceDetectExecute(const HostImage*)
{
    return 0;
}

int32_t HostFaceDetectGetNumberOfFaces(int32_t* count)
{
    if (count)
        *count = 0;
    return 0;
}

int32_t HostFaceDetectGetResult(int32_t, int32_t*, int32_t*, int32_t*, int32_t*)
{
    return 0;
}

// ---- The table -------------------------------------------------------------------------

struct HostFunctionRow {
    std::string_view name;
    VistrelHostProc proc;
};

template <typename Function> VistrelHostProc Proc(Function* function)
{
    return reinterpret_cast<VistrelHostProc>(function);
}

const std::array<HostFunctionRow, 57>& HostFunctionTable()
{
    static const std::array<HostFunctionRow, 57> kTable = {{
        {"GetProcAddress", Proc(&HostGetProcAddress)},
        {"GetFileType", Proc(&HostGetFileType)},
        {"GetMediumInfo", Proc(&HostGetMediumInfo)},
        {"GetMediumInfo2", Proc(&HostGetMediumInfo)},
        {"GetMediumInfo3", Proc(&HostGetMediumInfo)},
        {"ReadImage", Proc(&HostReadImage)},
        {"WriteImage", Proc(&HostWriteImage)},
        {"GetTagInfoAll", Proc(&HostGetTagInfoAll)},
        {"GetTagInfo", Proc(&HostGetTagInfo)},
        {"MovieConvert", Proc(&HostMovieConvert)},
        {"ReadCurrentMovieImage", Proc(&HostReadCurrentMovieImage)},
        {"GetText", Proc(&HostGetText)},
        {"ReplaceText", Proc(&HostReplaceText)},
        {"GetValue", Proc(&HostGetValue)},
        {"GetZORXSystemFolder", Proc(&HostGetSystemFolder)},
        {"GetZORXTemporaryFolder", Proc(&HostGetTemporaryFolder)},
        {"GetAllFiles", Proc(&HostGetAllFiles)},
        {"GetAllFiles3", Proc(&HostGetAllFiles3)},
        {"GetSelectedFiles", Proc(&HostGetSelectedFiles)},
        {"GetSelectedFiles3", Proc(&HostGetSelectedFiles3)},
        {"GetDisplayedFiles", Proc(&HostGetDisplayedFiles)},
        {"GetDisplayedFiles3", Proc(&HostGetDisplayedFiles3)},
        {"GetFocusedFile", Proc(&HostGetFocusedFile)},
        {"GetFocusedFile3", Proc(&HostGetFocusedFile3)},
        {"GetCurrentFolder", Proc(&HostGetCurrentFolder)},
        {"GetCurrentFolderName", Proc(&HostGetCurrentFolderName)},
        {"GetCurrentFolderData", Proc(&HostGetCurrentFolderData)},
        {"GetBaseFolder", Proc(&HostGetBaseFolder)},
        {"GetEnumFiles", Proc(&HostGetEnumFiles)},
        {"GetEnumFiles2", Proc(&HostGetEnumFiles2)},
        {"RegistryReadDword", Proc(&HostRegistryReadDword)},
        {"RegistryWriteDword", Proc(&HostRegistryWriteDword)},
        {"RegistryReadString", Proc(&HostRegistryReadString)},
        {"RegistryWriteString", Proc(&HostRegistryWriteString)},
        {"RegistryDeleteSubKey", Proc(&HostRegistryDeleteSubKey)},
        {"GetCommandLine", Proc(&HostGetCommandLine)},
        {"GetCommandLineForAutoCapture", Proc(&HostGetCommandLineForAutoCapture)},
        {"SetWindowL_WidthMinMax", Proc(&HostSetWindowLWidthMinMax)},
        {"SetDialogHandle", Proc(&HostSetDialogHandle)},
        {"Exit", Proc(&HostExit)},
        {"GetProgramMenuHandle", Proc(&HostGetProgramMenuHandle)},
        {"GetToolMenuHandle", Proc(&HostGetToolMenuHandle)},
        {"GetMenuCommand", Proc(&HostGetMenuCommand)},
        {"SetNumHelperMenus", Proc(&HostSetNumHelperMenus)},
        {"SetHelperMenu", Proc(&HostSetHelperMenu)},
        {"SetNumProgramMenus", Proc(&HostSetNumProgramMenus)},
        {"SetProgramMenu", Proc(&HostSetProgramMenu)},
        {"SetUpdateFile", Proc(&HostSetUpdateFile)},
        {"SetUpdateFolder", Proc(&HostSetUpdateFolder)},
        {"SetDllResult", Proc(&HostSetDllResult)},
        {"SetDllRotation", Proc(&HostSetDllResult)},
        {"IsPeriodMode", Proc(&HostIsPeriodMode)},
        {"IsPreviewMode", Proc(&HostIsPreviewMode)},
        {"EnableNetPrint", Proc(&HostEnableNetPrint)},
        {"FaceDetectExecute", Proc(&HostFaceDetectExecute)},
        {"FaceDetectGetNumberOfFaces", Proc(&HostFaceDetectGetNumberOfFaces)},
        {"FaceDetectGetResult", Proc(&HostFaceDetectGetResult)},
    }};
    return kTable;
}

} // namespace

VistrelHostProc HostGetProcAddress(HostBuffer name)
{
    const OwnedHostBuffer owned(name);
    try {
        const std::string text = owned.Text();
        for (const HostFunctionRow& row : HostFunctionTable()) {
            if (row.name == text)
                return row.proc;
        }
    } catch (...) {
    }
    return nullptr;
}

void SetServiceHost(ServiceHost* host)
{
    g_host = host;
}

ServiceHost* CurrentServiceHost()
{
    return g_host;
}

std::span<const std::string_view> HostFunctionNames()
{
    static const std::array<std::string_view, 57> kNames = [] {
        std::array<std::string_view, 57> names{};
        for (size_t i = 0; i < names.size(); ++i)
            names[i] = HostFunctionTable()[i].name;
        return names;
    }();
    return kNames;
}
