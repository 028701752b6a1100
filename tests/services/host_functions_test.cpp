#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <QFile>
#include <QMenu>

#include "fixtures/sandbox.h"
#include "library/library_counts.h"
#include "services/host_buffer.h"
#include "services/host_functions.h"
#include "services/service_host.h"

namespace {

// Records what the host functions hand to the program and answers with fixed state.
class RecordingHost : public ServiceHost {
public:
    ServiceFileLists Files(ServiceFileScope scope) override
    {
        askedScopes.push_back(scope);
        return scope == ServiceFileScope::Selected ? selected : all;
    }
    const LibraryCounts& Counts() override { return counts; }
    std::string folder = "/photos/DCIM/100_FUJI";
    const std::string& CurrentFolder() const override { return folder; }
    std::string CurrentFolderName() const override { return "100_FUJI"; }
    std::vector<uint8_t> CurrentFolderData() const override { return {0x14, 0x00, 0x1F, 0x50, 0xE0, 0x4F, 0xD0, 0x20, 0xEA}; }
    std::string commandLine = "VistrelViewer /photos";
    const std::string& CommandLine() const override { return commandLine; }
    std::string CommandLineForAutoCapture() const override { return ""; }
    bool IsPeriodMode() const override { return false; }
    bool IsPreviewMode() const override { return true; }
    bool NetPrintEnabled() const override { return false; }
    void SetLeftWidthLimits(int minimum, int maximum) override { widthLimits = {minimum, maximum}; }
    void SetDialogWindow(QWidget* window) override { dialog = window; }
    void ExitPaneService() override { ++exits; }
    QMenu* ProgramMenu() override { return &programMenu; }
    QMenu* ToolMenu() override { return &toolMenu; }
    MenuRunState MenuRun() const override { return {true, 43002}; }
    void SetHelperMenuCount(int count) override { helperCounts.push_back(count); }
    void SetHelperMenu(int index, std::string caption, int32_t command, std::string) override
    {
        helperEntries.push_back({index, caption, command});
    }
    void SetProgramMenuCount(int count) override { programCounts.push_back(count); }
    void SetProgramMenu(int, std::string, int32_t, std::string) override {}
    void AddUpdateFile(std::string path) override { updateFiles.push_back(std::move(path)); }
    void SetUpdateFolder(std::string path) override { updateFolders.push_back(std::move(path)); }

    struct MenuEntry {
        int index;
        std::string caption;
        int32_t command;
    };

    ServiceFileLists all;
    ServiceFileLists selected;
    LibraryCounts counts;
    std::vector<ServiceFileScope> askedScopes;
    std::pair<int, int> widthLimits{-1, -1};
    QWidget* dialog = nullptr;
    int exits = 0;
    QMenu programMenu;
    QMenu toolMenu;
    std::vector<int> helperCounts;
    std::vector<int> programCounts;
    std::vector<MenuEntry> helperEntries;
    std::vector<std::string> updateFiles;
    std::vector<std::string> updateFolders;
};

// Installs the fake for one test and removes it again.
class HostFunctions : public ::testing::Test {
protected:
    void SetUp() override { SetServiceHost(&host); }
    void TearDown() override { SetServiceHost(nullptr); }

    template <typename Function> Function LookUp(const char* name)
    {
        VistrelHostProc proc = HostGetProcAddress(MakeHostBuffer(name));
        EXPECT_NE(proc, nullptr) << name;
        return reinterpret_cast<Function>(proc);
    }

    RecordingHost host;
};

std::vector<std::string> Texts(const HostBufferList& list)
{
    std::vector<std::string> texts;
    for (uint64_t i = 0; i < list.count; ++i)
        texts.push_back(HostBufferText(list.items[i]));
    return texts;
}

// A 24-bit picture with a colour ramp, so that a lossy round trip can still be recognised.
struct GeneratedImage {
    explicit GeneratedImage(uint32_t width, uint32_t height) : pixels(size_t{(width * 3 + 3) & ~3u} * height)
    {
        image.width = width;
        image.height = height;
        image.bitsPerPixel = 24;
        image.stride = (width * 3 + 3) & ~3u;
        for (uint32_t y = 0; y < height; ++y) {
            for (uint32_t x = 0; x < width; ++x) {
                uint8_t* pixel = pixels.data() + size_t{y} * image.stride + x * 3;
                pixel[0] = 40;                               // blue
                pixel[1] = static_cast<uint8_t>(y * 255 / height); // green
                pixel[2] = static_cast<uint8_t>(x * 255 / width);  // red
            }
        }
        image.pixels = pixels.data();
    }
    std::vector<uint8_t> pixels;
    HostImage image{};
};

} // namespace

TEST_F(HostFunctions, EveryNameResolvesAndItsLowerCaseFormDoesNot)
{
    const std::span<const std::string_view> names = HostFunctionNames();
    ASSERT_EQ(names.size(), 57u);
    EXPECT_EQ(std::set<std::string_view>(names.begin(), names.end()).size(), 57u);
    for (std::string_view name : names) {
        EXPECT_NE(HostGetProcAddress(MakeHostBuffer(name)), nullptr) << name;
        std::string lower(name);
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(HostGetProcAddress(MakeHostBuffer(lower)), nullptr) << lower;
    }
    EXPECT_NE(HostGetProcAddress(MakeHostBuffer("GetValue")), nullptr);
    EXPECT_EQ(HostGetProcAddress(MakeHostBuffer("getvalue")), nullptr);
    EXPECT_EQ(HostGetProcAddress(MakeHostBuffer("GetValue ")), nullptr);
    EXPECT_EQ(HostGetProcAddress(MakeHostBuffer("SetWindowLWidthMinMax")), nullptr);
    EXPECT_EQ(HostGetProcAddress(HostBuffer{}), nullptr);
}

TEST_F(HostFunctions, SharedNamesReachOneFunctionAndLookupFindsItself)
{
    const VistrelHostProc info = HostGetProcAddress(MakeHostBuffer("GetMediumInfo"));
    EXPECT_EQ(HostGetProcAddress(MakeHostBuffer("GetMediumInfo2")), info);
    EXPECT_EQ(HostGetProcAddress(MakeHostBuffer("GetMediumInfo3")), info);
    EXPECT_EQ(HostGetProcAddress(MakeHostBuffer("SetDllResult")),
              HostGetProcAddress(MakeHostBuffer("SetDllRotation")));
    EXPECT_EQ(HostGetProcAddress(MakeHostBuffer("GetProcAddress")), reinterpret_cast<VistrelHostProc>(&HostGetProcAddress));
}

TEST_F(HostFunctions, TheExecutableExportsTheLookupAndTheResourceRoot)
{
    void* symbol = dlsym(RTLD_DEFAULT, "GetServiceProcAddress");
    ASSERT_NE(symbol, nullptr);
    const auto exported = reinterpret_cast<VistrelGetServiceProcAddressFn>(symbol);
    EXPECT_EQ(exported(), &HostGetProcAddress);
    void* resources = dlsym(RTLD_DEFAULT, "GetResourceModule");
    ASSERT_NE(resources, nullptr);
    const char* root = reinterpret_cast<VistrelGetResourceModuleFn>(resources)();
    if (QFile::exists(":/zorres/menus.txt"))
        EXPECT_STREQ(root, ":/zorres/");
    else
        EXPECT_EQ(root, nullptr);
}

TEST_F(HostFunctions, GetAllFiles3AnswersThreeParallelLists)
{
    host.all = {{"/photos/DSCF0001.RAF", "/photos/DSCF0002.JPG"},
                {"", "/photos/DSCF0002.WAV"},
                {"/photos/DSCF0001.RAG", ""}};
    const auto getAll3 = LookUp<VistrelGetFiles3Fn>("GetAllFiles3");
    HostBufferList paths{}, memos{}, companions{};
    ASSERT_TRUE(FillHostBufferList(paths, {"stale entry that must be freed"}));
    ASSERT_EQ(getAll3(&paths, &memos, &companions), 1);
    EXPECT_EQ(Texts(paths), host.all.paths);
    EXPECT_EQ(Texts(memos), host.all.memoPaths);
    EXPECT_EQ(Texts(companions), host.all.companionPaths);
    EXPECT_EQ(memos.items[0].size, 1u); // an empty text, not an empty record
    ASSERT_EQ(host.askedScopes.size(), 1u);
    EXPECT_EQ(host.askedScopes[0], ServiceFileScope::All);
    FreeHostBufferList(paths);
    FreeHostBufferList(memos);
    FreeHostBufferList(companions);

    host.selected = {{"/photos/DSCF0002.JPG"}, {"/photos/DSCF0002.WAV"}, {""}};
    const auto getSelected = LookUp<VistrelGetFiles2Fn>("GetSelectedFiles");
    ASSERT_EQ(getSelected(&paths, &memos), 1);
    EXPECT_EQ(Texts(paths), host.selected.paths);
    EXPECT_EQ(Texts(memos), host.selected.memoPaths);
    EXPECT_EQ(getSelected(nullptr, &memos), 0);
    FreeHostBufferList(paths);
    FreeHostBufferList(memos);
}

TEST_F(HostFunctions, FocusedFileIsAlwaysOneEmptyText)
{
    host.all = {{"/photos/a.jpg"}, {""}, {""}};
    const auto focused = LookUp<VistrelGetFiles3Fn>("GetFocusedFile3");
    HostBufferList paths{}, memos{}, companions{};
    ASSERT_EQ(focused(&paths, &memos, &companions), 1);
    EXPECT_EQ(Texts(paths), std::vector<std::string>{""});
    EXPECT_EQ(Texts(companions), std::vector<std::string>{""});
    EXPECT_TRUE(host.askedScopes.empty());
    FreeHostBufferList(paths);
    FreeHostBufferList(memos);
    FreeHostBufferList(companions);
}

TEST_F(HostFunctions, GetValueCountsSelectedFoldersOnlyForTheAllNames)
{
    host.counts.selectedImages = 1;
    host.counts.selectedFolders = 1;
    host.counts.selectedFolderContents.images = 3;
    host.counts.existentRaws = -2; // sign-extended as it stands
    const auto getValue = LookUp<VistrelGetValueFn>("GetValue");
    int64_t value = -1;
    ASSERT_EQ(getValue(MakeHostBuffer("NumSelectedAllImages"), &value), 1);
    EXPECT_EQ(value, 4);
    ASSERT_EQ(getValue(MakeHostBuffer("NumSelectedImages"), &value), 1);
    EXPECT_EQ(value, 1);
    ASSERT_EQ(getValue(MakeHostBuffer("NumExistentRAFs"), &value), 1);
    EXPECT_EQ(value, -2);
    value = 77;
    EXPECT_EQ(getValue(MakeHostBuffer("NumSelectedEverything"), &value), 0);
    EXPECT_EQ(value, 77);
    EXPECT_EQ(getValue(MakeHostBuffer("NumSelectedImages"), nullptr), 0);
}

TEST_F(HostFunctions, WithoutAHostEveryQueryFails)
{
    SetServiceHost(nullptr);
    EXPECT_EQ(CurrentServiceHost(), nullptr);
    const auto getValue = LookUp<VistrelGetValueFn>("GetValue");
    int64_t value = 0;
    EXPECT_EQ(getValue(MakeHostBuffer("NumSelectedImages"), &value), 0);
    const auto exitService = LookUp<VistrelExitFn>("Exit");
    EXPECT_EQ(exitService(), 0);
    const auto folder = LookUp<VistrelGetTextValueFn>("GetCurrentFolder");
    HostBuffer text{};
    EXPECT_EQ(folder(&text), 0);
    EXPECT_EQ(host.exits, 0);
}

TEST_F(HostFunctions, PanelMenuCountsAreClampedAndEntriesForwarded)
{
    const auto setCount = LookUp<VistrelSetNumMenusFn>("SetNumHelperMenus");
    EXPECT_EQ(setCount(300), 1);
    EXPECT_EQ(setCount(-1), 1);
    EXPECT_EQ(setCount(12), 1);
    EXPECT_EQ(host.helperCounts, (std::vector<int>{256, 0, 12}));
    EXPECT_EQ(LookUp<VistrelSetNumMenusFn>("SetNumProgramMenus")(1000), 1);
    EXPECT_EQ(host.programCounts, std::vector<int>{256});

    const auto setEntry = LookUp<VistrelSetMenuFn>("SetHelperMenu");
    // The command's low 32 bits are used.
    EXPECT_EQ(setEntry(2, MakeHostBuffer("Print pictures"), (int64_t{7} << 32) | 41500, MakeHostBuffer("")), 1);
    ASSERT_EQ(host.helperEntries.size(), 1u);
    EXPECT_EQ(host.helperEntries[0].index, 2);
    EXPECT_EQ(host.helperEntries[0].caption, "Print pictures");
    EXPECT_EQ(host.helperEntries[0].command, 41500);
}

TEST_F(HostFunctions, UpdateFolderLosesOneTrailingSeparatorExceptAtTheRoot)
{
    const auto setFolder = LookUp<VistrelSetUpdateFolderFn>("SetUpdateFolder");
    EXPECT_EQ(setFolder(MakeHostBuffer("/photos/2006/")), 1);
    EXPECT_EQ(setFolder(MakeHostBuffer("/")), 1);
    EXPECT_EQ(setFolder(MakeHostBuffer("/photos")), 1);
    EXPECT_EQ(host.updateFolders, (std::vector<std::string>{"/photos/2006", "/", "/photos"}));
    EXPECT_EQ(LookUp<VistrelSetUpdateFileFn>("SetUpdateFile")(MakeHostBuffer("/photos/a.jpg")), 1);
    EXPECT_EQ(host.updateFiles, std::vector<std::string>{"/photos/a.jpg"});
}

TEST_F(HostFunctions, WindowAndMenuFunctionsReachTheProgram)
{
    EXPECT_EQ(LookUp<VistrelSetWindowLWidthMinMaxFn>("SetWindowL_WidthMinMax")(180, 180), 1);
    EXPECT_EQ(host.widthLimits, std::make_pair(180, 180));
    EXPECT_EQ(LookUp<VistrelExitFn>("Exit")(), 1);
    EXPECT_EQ(host.exits, 1);

    void* menu = nullptr;
    int32_t first = 0;
    ASSERT_EQ(LookUp<VistrelGetMenuHandleFn>("GetToolMenuHandle")(&menu, &first), 1);
    EXPECT_EQ(menu, static_cast<void*>(&host.toolMenu));
    EXPECT_EQ(first, 44000);
    ASSERT_EQ(LookUp<VistrelGetMenuHandleFn>("GetProgramMenuHandle")(&menu, &first), 1);
    EXPECT_EQ(menu, static_cast<void*>(&host.programMenu));
    EXPECT_EQ(first, 43000);

    int32_t running = 0, command = 0;
    ASSERT_EQ(LookUp<VistrelGetMenuCommandFn>("GetMenuCommand")(&running, &command), 1);
    EXPECT_EQ(running, 1);
    EXPECT_EQ(command, 43002);
    EXPECT_EQ(LookUp<VistrelGetFlagFn>("IsPreviewMode")(), 1);
    EXPECT_EQ(LookUp<VistrelGetFlagFn>("IsPeriodMode")(), 0);
}

TEST_F(HostFunctions, FolderTextsAndBytesComeFromTheProgram)
{
    HostBuffer text{};
    ASSERT_EQ(LookUp<VistrelGetTextValueFn>("GetCurrentFolder")(&text), 1);
    EXPECT_EQ(HostBufferText(text), "/photos/DCIM/100_FUJI");
    ASSERT_EQ(LookUp<VistrelGetTextValueFn>("GetCurrentFolderData")(&text), 1);
    ASSERT_EQ(text.size, 9u); // bytes, no NUL added
    EXPECT_EQ(static_cast<const unsigned char*>(text.data.pointer)[8], 0xEA);
    FreeHostBuffer(text);
}

TEST_F(HostFunctions, GetTextFallsBackToTheKey)
{
    HostBuffer text{};
    ASSERT_EQ(LookUp<VistrelGetTextFn>("GetText")(&text, MakeHostBuffer("TEST_HF_NoSuchKeyAnywhere")), 1);
    EXPECT_EQ(HostBufferText(text), "TEST_HF_NoSuchKeyAnywhere");
    FreeHostBuffer(text);
}

TEST_F(HostFunctions, EnumFilesSortsMediaFilesIntoCategories)
{
    Sandbox sandbox;
    sandbox.WriteFile("DSCF0001.JPG", "x");
    sandbox.WriteFile("DSCF0002.RAF", "x");
    sandbox.WriteFile("DSCF0003.AVI", "x");
    sandbox.WriteFile("DSCF0004.WAV", "x");
    sandbox.WriteFile("notes.txt", "x");
    sandbox.MakeFolder("sub.jpg");
    sandbox.WriteFile("sub.jpg/DSCF0005.JPG", "x");

    HostBufferList files{};
    ASSERT_EQ(LookUp<VistrelGetEnumFilesFn>("GetEnumFiles")(MakeHostBuffer(sandbox.Path()), &files), 1);
    std::vector<std::string> found = Texts(files);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{sandbox / "DSCF0001.JPG", sandbox / "DSCF0002.RAF",
                                                sandbox / "DSCF0003.AVI", sandbox / "DSCF0004.WAV"}));
    FreeHostBufferList(files);

    HostBufferList lists[3] = {};
    ASSERT_EQ(LookUp<VistrelGetEnumFiles2Fn>("GetEnumFiles2")(MakeHostBuffer(sandbox.Path() + "/"), lists), 1);
    std::vector<std::string> pictures = Texts(lists[0]);
    std::sort(pictures.begin(), pictures.end());
    EXPECT_EQ(pictures, (std::vector<std::string>{sandbox / "DSCF0001.JPG", sandbox / "DSCF0002.RAF"}));
    EXPECT_EQ(Texts(lists[1]), std::vector<std::string>{sandbox / "DSCF0003.AVI"});
    EXPECT_EQ(Texts(lists[2]), std::vector<std::string>{sandbox / "DSCF0004.WAV"});
    for (HostBufferList& list : lists)
        FreeHostBufferList(list);

    EXPECT_EQ(LookUp<VistrelGetEnumFilesFn>("GetEnumFiles")(MakeHostBuffer(sandbox / "missing"), &files), 0);
}

TEST_F(HostFunctions, WriteImageRefusesABadTagListAndWritesNothing)
{
    Sandbox sandbox;
    const std::string path = sandbox / "out.jpg";
    const GeneratedImage picture(64, 48);
    const auto writeImage = LookUp<VistrelWriteImageFn>("WriteImage");

    HostTagRecord record{};
    record.tag = 0x010E; // ImageDescription
    record.type = 2;
    record.count = 12;
    record.value = MakeHostBuffer("too short"); // 10 bytes for a count of 12
    HostTagList tags{1, &record};
    EXPECT_EQ(writeImage(MakeHostBuffer(path), &picture.image, MakeHostBuffer("JPEG"), &tags, 0), -5005);
    HostTagList missingItems{3, nullptr};
    EXPECT_EQ(writeImage(MakeHostBuffer(path), &picture.image, MakeHostBuffer("JPEG"), &missingItems, 0), -5005);
    FreeHostBuffer(record.value);

    HostImage eightBit = picture.image;
    eightBit.bitsPerPixel = 8;
    EXPECT_EQ(writeImage(MakeHostBuffer(path), &eightBit, MakeHostBuffer("JPEG"), nullptr, 0), -5003);
    EXPECT_TRUE(std::filesystem::is_empty(sandbox.Path()));
}

TEST_F(HostFunctions, WrittenJpegReadsBackWithItsTagsAndPixels)
{
    Sandbox sandbox;
    const std::string path = sandbox / "DSCF0100.JPG";
    const GeneratedImage picture(96, 64);
    HostTagRecord description{};
    description.tag = 0x010E;
    description.type = 2;
    description.count = 13;
    description.value = MakeHostBuffer("Harbour dusk");
    HostTagList tags{1, &description};
    ASSERT_EQ(LookUp<VistrelWriteImageFn>("WriteImage")(MakeHostBuffer(path), &picture.image, MakeHostBuffer("JPEG"),
                                                        &tags, 1),
              0);
    FreeHostBuffer(description.value);

    HostImage read{};
    ASSERT_EQ(LookUp<VistrelReadImageFn>("ReadImage")(MakeHostBuffer(path), &read), 1);
    EXPECT_EQ(read.width, 96u);
    EXPECT_EQ(read.height, 64u);
    EXPECT_EQ(read.bitsPerPixel, 24u);
    // Far right of the bottom row is nearly pure red and green; compression may move it a little.
    const auto* corner = static_cast<const uint8_t*>(read.pixels) + size_t{63} * read.stride + 95 * 3;
    EXPECT_NEAR(corner[2], 252, 12);
    EXPECT_NEAR(corner[1], 251, 12);
    EXPECT_NEAR(corner[0], 40, 12);
    VistrelFreeImage(&read);

    HostTagRecord found{};
    ASSERT_EQ(LookUp<VistrelGetTagInfoFn>("GetTagInfo")(MakeHostBuffer(path), 0x010E, &found), 1);
    EXPECT_EQ(found.type, 2u);
    EXPECT_EQ(HostBufferText(found.value), "Harbour dusk");
    FreeHostBuffer(found.value);
    ASSERT_EQ(LookUp<VistrelGetTagInfoFn>("GetTagInfo")(MakeHostBuffer(path), 0x010F, &found), 1);
    EXPECT_EQ(HostBufferText(found.value), "KAVORINE");
    FreeHostBuffer(found.value);

    HostTagList all{};
    ASSERT_EQ(LookUp<VistrelGetTagInfoAllFn>("GetTagInfoAll")(MakeHostBuffer(path), &all), 1);
    bool sawModel = false;
    for (uint64_t i = 0; i < all.count; ++i)
        sawModel = sawModel || (all.items[i].tag == 0x0110 && HostBufferText(all.items[i].value) == "VistrelViewer Ver.5.3");
    EXPECT_TRUE(sawModel);
    FreeHostTagList(all);

    HostMediumInfo info{};
    ASSERT_EQ(LookUp<VistrelGetMediumInfoFn>("GetMediumInfo2")(MakeHostBuffer(path), &info), 1);
    EXPECT_EQ(info.width, 96);
    EXPECT_EQ(info.height, 64);
    EXPECT_EQ(info.hasExif, 1);
}

TEST_F(HostFunctions, TagListHandedBackToWriteImageKeepsEveryTagInItsDirectory)
{
    Sandbox sandbox;
    const GeneratedImage picture(32, 24);
    const auto write = LookUp<VistrelWriteImageFn>("WriteImage");
    const auto readAll = LookUp<VistrelGetTagInfoAllFn>("GetTagInfoAll");
    HostTagRecord latitudeRef{};
    latitudeRef.tag = 0x00040001; // GPS tag 1, whose plain number would be filed as interoperability
    latitudeRef.type = 2;
    latitudeRef.count = 2;
    latitudeRef.value = MakeHostBuffer("N");
    HostTagList tags{1, &latitudeRef};
    const std::string original = sandbox / "original.jpg";
    ASSERT_EQ(write(MakeHostBuffer(original), &picture.image, MakeHostBuffer("JPEG"), &tags, 0), 0);
    FreeHostBuffer(latitudeRef.value);

    const auto listed = [&](const std::string& path, uint32_t tag) {
        HostTagList all{};
        EXPECT_EQ(readAll(MakeHostBuffer(path), &all), 1);
        std::string text = "(absent)";
        bool plainModel = false;
        for (uint64_t i = 0; i < all.count; ++i) {
            if (all.items[i].tag == tag)
                text = HostBufferText(all.items[i].value);
            plainModel = plainModel || all.items[i].tag == 0x0110; // a primary tag stays plain
        }
        EXPECT_TRUE(plainModel);
        FreeHostTagList(all);
        return text;
    };
    EXPECT_EQ(listed(original, 0x00040001), "N");

    HostTagList all{};
    ASSERT_EQ(readAll(MakeHostBuffer(original), &all), 1);
    const std::string copy = sandbox / "copy.jpg";
    ASSERT_EQ(write(MakeHostBuffer(copy), &picture.image, MakeHostBuffer("JPEG"), &all, 0), 0);
    FreeHostTagList(all);
    EXPECT_EQ(listed(copy, 0x00040001), "N");
}

TEST_F(HostFunctions, AbsentTagLeavesTheRecordAndUnreadableFilesFail)
{
    Sandbox sandbox;
    const std::string path = sandbox / "plain.jpg";
    const GeneratedImage picture(16, 16);
    ASSERT_EQ(LookUp<VistrelWriteImageFn>("WriteImage")(MakeHostBuffer(path), &picture.image, MakeHostBuffer("JPEG"),
                                                        nullptr, 0),
              0);
    const auto getTag = LookUp<VistrelGetTagInfoFn>("GetTagInfo");
    HostTagRecord record{};
    record.tag = 0xBEEF;
    record.type = 3;
    record.count = 1;
    record.value = MakeHostBytes("\x01\x00", 2);
    EXPECT_EQ(getTag(MakeHostBuffer(path), 0xA433, &record), 1); // LensMake: never written
    EXPECT_EQ(record.tag, 0xBEEFu);
    EXPECT_EQ(record.count, 1u);
    EXPECT_EQ(record.value.size, 2u);

    const std::string broken = sandbox.WriteFile("broken.jpg", "not a picture at all");
    EXPECT_EQ(getTag(MakeHostBuffer(sandbox / "missing.jpg"), 0x010F, &record), 0);
    HostTagList all{};
    EXPECT_EQ(LookUp<VistrelGetTagInfoAllFn>("GetTagInfoAll")(MakeHostBuffer(sandbox / "missing.jpg"), &all), 0);
    HostImage image{};
    EXPECT_EQ(LookUp<VistrelReadImageFn>("ReadImage")(MakeHostBuffer(broken), &image), 0);
    HostMediumInfo info{};
    EXPECT_EQ(LookUp<VistrelGetMediumInfoFn>("GetMediumInfo")(MakeHostBuffer(sandbox / "missing.jpg"), &info), 0);
    EXPECT_EQ(record.tag, 0xBEEFu);
}

TEST_F(HostFunctions, BitmapFormatWritesAFileThatReadsBack)
{
    Sandbox sandbox;
    const std::string path = sandbox / "copy.bmp";
    const GeneratedImage picture(13, 7); // an odd width needs row padding
    ASSERT_EQ(LookUp<VistrelWriteImageFn>("WriteImage")(MakeHostBuffer(path), &picture.image, MakeHostBuffer("BMP"),
                                                        nullptr, 0),
              0);
    HostImage read{};
    ASSERT_EQ(LookUp<VistrelReadImageFn>("ReadImage")(MakeHostBuffer(path), &read), 1);
    ASSERT_EQ(read.width, 13u);
    ASSERT_EQ(read.height, 7u);
    for (uint32_t y = 0; y < 7; ++y)
        EXPECT_EQ(std::memcmp(static_cast<const uint8_t*>(read.pixels) + size_t{y} * read.stride,
                              picture.pixels.data() + size_t{y} * picture.image.stride, 13 * 3),
                  0)
            << "row " << y;
    VistrelFreeImage(&read);
}
