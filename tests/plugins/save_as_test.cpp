#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include "conflict_answers.h"
#include "fixtures/child_process.h"
#include "fixtures/sandbox.h"
#include "save_as_dialog.h"
#include "save_as_format.h"
#include "save_as_run.h"
#include "save_as_service.h"
#include "service_client.h"
#include "services/host_functions.h"
#include "services/quiet_service_host.h"
#include "services/service_host.h"
#include "shell/settings_store.h"

namespace {

// The program as a module sees it: the real host functions over a fixed selection and folder,
// recording what the module hands back.
class SaveAsHost : public QuietServiceHost {
public:
    ServiceFileLists Files(ServiceFileScope) override { return selected; }
    std::string CurrentFolderName() const override { return "photos"; }
    void AddUpdateFile(std::string path) override { updateFiles.push_back(std::move(path)); }
    void SetUpdateFolder(std::string path) override { updateFolders.push_back(std::move(path)); }

    ServiceFileLists selected;
    std::vector<std::string> updateFiles;
    std::vector<std::string> updateFolders;
};

// A 24-bit picture with fine detail, so that the JPEG qualities give different files.
struct TestPicture {
    TestPicture(uint32_t width, uint32_t height) : pixels(size_t{(width * 3 + 3) & ~3u} * height)
    {
        image.width = width;
        image.height = height;
        image.bitsPerPixel = 24;
        image.stride = (width * 3 + 3) & ~3u;
        image.pixels = pixels.data();
        for (uint32_t y = 0; y < height; ++y) {
            for (uint32_t x = 0; x < width; ++x) {
                uint8_t* pixel = pixels.data() + size_t{y} * image.stride + x * 3;
                pixel[0] = static_cast<uint8_t>((x * 37 + y * 91) & 0xFF);
                pixel[1] = static_cast<uint8_t>(y * 255 / height);
                pixel[2] = static_cast<uint8_t>(((x ^ y) * 13) & 0xFF);
            }
        }
    }
    HostImage image{};
    std::vector<uint8_t> pixels;
};

constexpr char kShotAt[] = "2024:05:06 07:08:09";

HostTagRecord TextTag(uint32_t tag, const char* text)
{
    HostTagRecord record{};
    record.tag = tag;
    record.type = 2;
    record.count = static_cast<uint32_t>(std::strlen(text) + 1);
    record.value = MakeHostText(text);
    return record;
}

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::ranges::sort(names);
    return names;
}

std::string Bytes(const std::string& path, size_t count)
{
    return ReadTextFile(path).substr(0, count);
}

class SaveAs : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseSettingsFile(sandbox / "settings.reg");
        SetServiceHost(&host);
        ServiceClient::Instance().Connect(HostGetProcAddress);
        host.folder = sandbox.MakeFolder("photos");
    }
    void TearDown() override
    {
        ServiceClient::Instance().Connect(nullptr);
        SetServiceHost(nullptr);
        UseSettingsFile(SettingsStore::DefaultFilePath());
    }

    // A camera-like JPEG with a shooting date and a GPS latitude reference, written by the host.
    std::string CameraPicture(const std::string& name, uint32_t width, uint32_t height)
    {
        const TestPicture picture(width, height);
        HostTagRecord records[] = {TextTag(0x00029003, kShotAt), TextTag(0x00029004, kShotAt),
                                   TextTag(0x00040001, "N")};
        HostTagList tags{3, records};
        const std::string path = host.folder + "/" + name;
        EXPECT_EQ(ServiceClient::Instance().WriteImage(path, picture.image, "JPEG", &tags, 0), 0) << path;
        for (HostTagRecord& record : records)
            VistrelFreeBuffer(&record.value);
        return path;
    }

    std::string TagText(const std::string& path, int32_t tag)
    {
        auto getTag = ServiceClient::Instance().Find<VistrelGetTagInfoFn>("GetTagInfo");
        HostTagRecord record{};
        if (!getTag || getTag(MakeHostText(path), tag, &record) != 1)
            return "(unreadable)";
        std::string text = HostText(record.value);
        VistrelFreeBuffer(&record.value);
        return text;
    }

    // Whether any directory of the file holds the tag with that text (a listed number may name
    // its directory in the upper half).
    bool HoldsText(const std::string& path, uint32_t tag, const std::string& text)
    {
        HostTagList tags{};
        if (!ServiceClient::Instance().ReadTags(path, tags))
            return false;
        bool found = false;
        for (uint64_t i = 0; i < tags.count; ++i)
            found = found || ((tags.items[i].tag & 0xFFFF) == tag && HostText(tags.items[i].value) == text);
        VistrelFreeTagList(&tags);
        return found;
    }

    std::pair<uint32_t, uint32_t> DecodedSize(const std::string& path)
    {
        HostImage image{};
        if (!ServiceClient::Instance().ReadImage(path, image))
            return {0, 0};
        const std::pair<uint32_t, uint32_t> size{image.width, image.height};
        VistrelFreeImage(&image);
        return size;
    }

    Sandbox sandbox;
    SaveAsHost host;
};

SaveAsHooks AnswerAlways(ConflictAnswer answer, int* asked)
{
    SaveAsHooks hooks;
    hooks.askReplace = [answer, asked](const std::string&) {
        ++*asked;
        return answer;
    };
    return hooks;
}

} // namespace

TEST(SaveAsNaming, KeepsTheBaseNameAndTheLetterCaseOfTheExtension)
{
    EXPECT_EQ(TargetFileName("/card/DCIM/100_FUJI/DSCF0001.JPG", SaveFormat::kTiff), "DSCF0001.TIF");
    EXPECT_EQ(TargetFileName("/card/DCIM/100_FUJI/DSCF0001.JPG", SaveFormat::kJpeg), "DSCF0001.JPG");
    EXPECT_EQ(TargetFileName("/home/me/dscf0001.jpg", SaveFormat::kBmp), "dscf0001.bmp");
    EXPECT_EQ(TargetFileName("/home/me/holiday.2024.jpeg", SaveFormat::kJpeg), "holiday.2024.jpg");
    EXPECT_EQ(TargetFileName("/home/me/DSCF0002.Tif", SaveFormat::kJpeg), "DSCF0002.JPG") << "mixed case";
    EXPECT_EQ(TargetFileName("/home/me.d/scan", SaveFormat::kTiff), "scan.TIF") << "no extension";
    EXPECT_EQ(TargetFileName("/home/me/.hidden", SaveFormat::kBmp), ".hidden.BMP");
    EXPECT_EQ(TargetFileName("/home/me/frame.001", SaveFormat::kJpeg), "frame.JPG") << "no letters";
    EXPECT_EQ(TargetFileName("DSCF0003.RAF", SaveFormat::kJpeg), "DSCF0003.JPG");
}

TEST(SaveAsFormat, QualitiesReachWriteImageAsItsIndexesAndNamesRoundTrip)
{
    EXPECT_EQ(WriteNumberFor(SaveFormat::kJpeg, JpegQuality::kFine), 0);
    EXPECT_EQ(WriteNumberFor(SaveFormat::kJpeg, JpegQuality::kNormal), 1);
    EXPECT_EQ(WriteNumberFor(SaveFormat::kJpeg, JpegQuality::kBasic), 2);
    EXPECT_EQ(WriteNumberFor(SaveFormat::kTiff, JpegQuality::kBasic), 0);
    EXPECT_EQ(WriteNumberFor(SaveFormat::kBmp, JpegQuality::kNormal), 0);
    for (const SaveFormatRow& row : kSaveFormats)
        EXPECT_EQ(SaveFormatNamed(row.name), row.format) << row.name;
    for (const JpegQualityRow& row : kJpegQualities)
        EXPECT_EQ(JpegQualityNamed(row.name), row.quality) << row.name;
    EXPECT_EQ(RowOf(SaveFormat::kTiff).name, "TIFF") << "WriteImage's format name";
    EXPECT_EQ(RowOf(SaveFormat::kBmp).name, "BMP");
    EXPECT_FALSE(SaveFormatNamed("jpeg"));
    EXPECT_FALSE(SaveFormatNamed("GIF"));
    EXPECT_FALSE(JpegQualityNamed(""));
}

TEST(SaveAsConflicts, AllAnswersHoldForTheRestOfTheRun)
{
    int asked = 0;
    const auto answering = [&asked](ConflictAnswer answer) {
        return [&asked, answer] {
            ++asked;
            return answer;
        };
    };
    ConflictAnswers single;
    EXPECT_EQ(single.Resolve(answering(ConflictAnswer::kReplace)), ConflictAction::kReplace);
    EXPECT_EQ(single.Resolve(answering(ConflictAnswer::kSkip)), ConflictAction::kSkip);
    EXPECT_EQ(single.Resolve(answering(ConflictAnswer::kCancel)), ConflictAction::kCancel);
    EXPECT_EQ(asked, 3) << "single answers are asked again";

    asked = 0;
    ConflictAnswers replaceAll;
    EXPECT_EQ(replaceAll.Resolve(answering(ConflictAnswer::kReplaceAll)), ConflictAction::kReplace);
    EXPECT_EQ(replaceAll.Resolve(answering(ConflictAnswer::kSkip)), ConflictAction::kReplace);
    EXPECT_EQ(replaceAll.Resolve(answering(ConflictAnswer::kCancel)), ConflictAction::kReplace);
    EXPECT_EQ(asked, 1);

    asked = 0;
    ConflictAnswers skipAll;
    EXPECT_EQ(skipAll.Resolve(answering(ConflictAnswer::kSkip)), ConflictAction::kSkip);
    EXPECT_EQ(skipAll.Resolve(answering(ConflictAnswer::kSkipAll)), ConflictAction::kSkip);
    EXPECT_EQ(skipAll.Resolve(answering(ConflictAnswer::kReplace)), ConflictAction::kSkip);
    EXPECT_EQ(asked, 2);
}

TEST_F(SaveAs, SavesTwoPicturesInEachFormatThatDecodeAtTheirSize)
{
    const std::string first = CameraPicture("DSCF0001.JPG", 96, 64);
    const std::string second = CameraPicture("DSCF0002.JPG", 40, 30);
    const std::string memo = sandbox.WriteFile("photos/DSCF0002.WAV", "RIFF");
    struct Case {
        SaveFormat format;
        const char* extension;
        std::string signature;
    };
    const Case cases[] = {{SaveFormat::kJpeg, "JPG", "\xFF\xD8"},
                          {SaveFormat::kTiff, "TIF", std::string("II*\0", 4)},
                          {SaveFormat::kBmp, "BMP", "BM"}};
    for (const Case& test : cases) {
        const std::string folder = sandbox.MakeFolder(std::string("out_") + test.extension);
        int asked = 0;
        const SaveAsOutcome outcome = SaveAsFiles({first, memo, second}, {folder, test.format, JpegQuality::kNormal},
                                                  AnswerAlways(ConflictAnswer::kCancel, &asked));
        const std::string copy1 = folder + "/DSCF0001." + test.extension;
        const std::string copy2 = folder + "/DSCF0002." + test.extension;
        EXPECT_EQ(outcome.saved, (std::vector<std::string>{copy1, copy2})) << test.extension;
        EXPECT_EQ(outcome.skipped, std::vector<std::string>{"DSCF0002.WAV: not a picture"});
        EXPECT_TRUE(outcome.failed.empty()) << outcome.failed.front();
        EXPECT_EQ(asked, 0);
        EXPECT_EQ(Names(folder), (std::vector<std::string>{"DSCF0001." + std::string(test.extension),
                                                           "DSCF0002." + std::string(test.extension)}))
            << "no placeholder or temporary file is left";
        EXPECT_EQ(Bytes(copy1, test.signature.size()), test.signature);
        EXPECT_EQ(DecodedSize(copy1), (std::pair<uint32_t, uint32_t>{96, 64}));
        EXPECT_EQ(DecodedSize(copy2), (std::pair<uint32_t, uint32_t>{40, 30}));
        if (test.format != SaveFormat::kBmp) {
            EXPECT_EQ(TagText(copy1, 0x9003), kShotAt) << "DateTimeOriginal of the " << test.extension << " copy";
            EXPECT_EQ(TagText(copy2, 0x9004), kShotAt) << "DateTimeDigitized";
            // GPS tag 1 is where a plain tag number would be filed wrongly (as interoperability).
            EXPECT_TRUE(HoldsText(copy1, 0x0001, "N")) << "GPSLatitudeRef of the " << test.extension << " copy";
        }
    }
    const std::string report = SaveAsReport(SaveAsFiles({memo}, {sandbox / "out_BMP", SaveFormat::kBmp}, {}), "x");
    EXPECT_NE(report.find("No picture was saved."), std::string::npos);
    EXPECT_NE(report.find("DSCF0002.WAV: not a picture"), std::string::npos);
}

TEST_F(SaveAs, JpegQualityReachesTheEncoder)
{
    const std::string source = CameraPicture("DSCF0001.JPG", 160, 120);
    std::vector<uintmax_t> sizes;
    for (const JpegQualityRow& row : kJpegQualities) {
        const JpegQuality quality = row.quality;
        const std::string folder = sandbox.MakeFolder(row.name);
        const SaveAsOutcome outcome = SaveAsFiles({source}, {folder, SaveFormat::kJpeg, quality}, {});
        ASSERT_EQ(outcome.saved.size(), 1u);
        sizes.push_back(std::filesystem::file_size(outcome.saved[0]));
    }
    EXPECT_GT(sizes[0], sizes[1]);
    EXPECT_GT(sizes[1], sizes[2]);
}

TEST_F(SaveAs, NeverReplacesWithoutAskingAndKeepsTheAllAnswers)
{
    const std::string first = CameraPicture("DSCF0001.JPG", 32, 32);
    const std::string second = CameraPicture("DSCF0002.JPG", 32, 32);
    const std::string folder = sandbox.MakeFolder("out");
    const std::string old1 = sandbox.WriteFile("out/DSCF0001.TIF", "first, kept");
    const std::string old2 = sandbox.WriteFile("out/DSCF0002.TIF", "second, kept");
    ASSERT_EQ(::chmod(old1.c_str(), 0640), 0);
    const SaveAsRequest request{folder, SaveFormat::kTiff, JpegQuality::kFine};

    int asked = 0;
    SaveAsOutcome outcome = SaveAsFiles({first, second}, request, AnswerAlways(ConflictAnswer::kCancel, &asked));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.notReached, 2u);
    EXPECT_TRUE(outcome.saved.empty());
    EXPECT_NE(SaveAsReport(outcome, folder).find("Cancelled: 2 files were not handled."), std::string::npos);

    asked = 0;
    outcome = SaveAsFiles({first, second}, request, AnswerAlways(ConflictAnswer::kSkipAll, &asked));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(outcome.skipped.size(), 2u);
    EXPECT_EQ(outcome.skipped[0], "DSCF0001.JPG: DSCF0001.TIF exists and was kept");
    EXPECT_EQ(ReadTextFile(old1), "first, kept");
    EXPECT_EQ(ReadTextFile(old2), "second, kept");

    asked = 0;
    outcome = SaveAsFiles({first, second}, request, AnswerAlways(ConflictAnswer::kSkip, &asked));
    EXPECT_EQ(asked, 2) << "a single answer holds for one file";

    asked = 0;
    outcome = SaveAsFiles({first, second}, request, AnswerAlways(ConflictAnswer::kReplaceAll, &asked));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(outcome.saved, (std::vector<std::string>{old1, old2}));
    EXPECT_EQ(DecodedSize(old1), (std::pair<uint32_t, uint32_t>{32, 32}));
    EXPECT_EQ(DecodedSize(old2), (std::pair<uint32_t, uint32_t>{32, 32}));
    struct stat status {};
    ASSERT_EQ(::stat(old1.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u) << "a replaced file keeps its permissions";
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"DSCF0001.TIF", "DSCF0002.TIF"}));

    sandbox.MakeFolder("out/DSCF0001.BMP");
    asked = 0;
    outcome = SaveAsFiles({first}, {folder, SaveFormat::kBmp}, AnswerAlways(ConflictAnswer::kReplace, &asked));
    EXPECT_EQ(asked, 0) << "a folder in the way is never offered for replacing";
    ASSERT_EQ(outcome.failed.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_directory(folder + "/DSCF0001.BMP"));
}

TEST_F(SaveAs, RefusesToSaveAPictureOntoItselfAndTwoOntoOneName)
{
    const std::string source = CameraPicture("DSCF0001.JPG", 32, 16);
    const std::string before = ReadTextFile(source);
    const std::string tiff = host.folder + "/DSCF0001.TIF";
    ASSERT_EQ(SaveAsFiles({source}, {host.folder, SaveFormat::kTiff}, {}).saved, std::vector<std::string>{tiff});

    int asked = 0;
    SaveAsOutcome outcome =
        SaveAsFiles({source}, {host.folder + "/", SaveFormat::kJpeg}, AnswerAlways(ConflictAnswer::kReplace, &asked));
    EXPECT_EQ(outcome.onItself, std::vector<std::string>{"DSCF0001.JPG"});
    EXPECT_TRUE(outcome.saved.empty());
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(ReadTextFile(source), before);
    EXPECT_NE(SaveAsReport(outcome, host.folder).find("would have replaced themselves"), std::string::npos);
    EXPECT_FALSE(SaveAsRanCleanly(outcome));

    const std::string folder = sandbox.MakeFolder("out");
    outcome = SaveAsFiles({source, tiff}, {folder, SaveFormat::kBmp}, AnswerAlways(ConflictAnswer::kReplace, &asked));
    EXPECT_EQ(outcome.saved, std::vector<std::string>{folder + "/DSCF0001.BMP"});
    EXPECT_EQ(outcome.skipped, std::vector<std::string>{"DSCF0001.TIF: another selected picture was saved as DSCF0001.BMP"});
    EXPECT_EQ(asked, 0);

    // The TIFF copy hands its tags on in turn.
    outcome = SaveAsFiles({tiff}, {sandbox.MakeFolder("again"), SaveFormat::kJpeg}, {});
    ASSERT_EQ(outcome.saved.size(), 1u);
    EXPECT_EQ(TagText(outcome.saved[0], 0x9003), kShotAt);
    EXPECT_EQ(DecodedSize(outcome.saved[0]), (std::pair<uint32_t, uint32_t>{32, 16}));
}

TEST_F(SaveAs, CancelStopsAfterTheCurrentPicture)
{
    const std::string first = CameraPicture("DSCF0001.JPG", 32, 32);
    const std::string second = CameraPicture("DSCF0002.JPG", 32, 32);
    const std::string third = CameraPicture("DSCF0003.JPG", 32, 32);
    const std::string folder = sandbox.MakeFolder("out");
    std::vector<size_t> steps;
    SaveAsHooks hooks;
    hooks.proceed = [&steps](size_t index, const std::string&) {
        steps.push_back(index);
        return index < 1;
    };
    const SaveAsOutcome outcome = SaveAsFiles({first, second, third}, {folder, SaveFormat::kJpeg}, hooks);
    EXPECT_EQ(steps, (std::vector<size_t>{0, 1}));
    EXPECT_EQ(outcome.saved, std::vector<std::string>{folder + "/DSCF0001.JPG"});
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.notReached, 2u);
    EXPECT_EQ(Names(folder), std::vector<std::string>{"DSCF0001.JPG"});
}

TEST_F(SaveAs, AReadOnlyFolderFailsCleanlyAndLeavesNothing)
{
    const std::string first = CameraPicture("DSCF0001.JPG", 32, 32);
    const std::string second = CameraPicture("DSCF0002.JPG", 32, 32);
    const std::string folder = sandbox.MakeFolder("locked");
    ASSERT_EQ(::chmod(sandbox.Path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(host.folder.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(first.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(second.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    // Permissions bind only a plain user, so the save runs as one.
    const int result = RunAsPlainUser([&] {
        const SaveAsOutcome outcome = SaveAsFiles({first, second}, {folder, SaveFormat::kJpeg}, {});
        if (!outcome.saved.empty() || outcome.failed.size() != 2)
            return 1;
        if (outcome.failed[0] != "DSCF0001.JPG: cannot create a file in " + folder + ": Permission denied")
            return 2;
        return SaveAsReport(outcome, folder).find("could not be saved") == std::string::npos ? 3 : 0;
    });
    ::chmod(folder.c_str(), 0755);
    ASSERT_NE(result, kCannotDropPrivileges);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(SaveAs, TellsTheHostOnlyAboutItsCurrentFolder)
{
    const std::string source = CameraPicture("DSCF0001.JPG", 16, 16);
    const std::string elsewhere = sandbox.MakeFolder("elsewhere");
    ReportChangesToHost(SaveAsFiles({source}, {elsewhere, SaveFormat::kBmp}, {}), elsewhere);
    EXPECT_TRUE(host.updateFolders.empty());
    EXPECT_TRUE(host.updateFiles.empty());

    const SaveAsOutcome outcome = SaveAsFiles({source}, {host.folder + "/", SaveFormat::kBmp}, {});
    ReportChangesToHost(outcome, host.folder + "/");
    EXPECT_EQ(host.updateFolders, std::vector<std::string>{host.folder}) << "the host drops the separator";
    EXPECT_EQ(host.updateFiles, std::vector<std::string>{host.folder + "/DSCF0001.BMP"});
}

TEST_F(SaveAs, RemembersTheLastFolderFormatAndQuality)
{
    SaveAsRequest first = LoadSaveAsChoice("/fallback");
    EXPECT_EQ(first.folder, "/fallback");
    EXPECT_EQ(first.format, SaveFormat::kJpeg);
    EXPECT_EQ(first.quality, JpegQuality::kFine);

    StoreSaveAsChoice({"/photos/copies", SaveFormat::kTiff, JpegQuality::kBasic});
    const SaveAsRequest stored = LoadSaveAsChoice("/fallback");
    EXPECT_EQ(stored.folder, "/photos/copies");
    EXPECT_EQ(stored.format, SaveFormat::kTiff);
    EXPECT_EQ(stored.quality, JpegQuality::kBasic);

    ServiceClient::Instance().WriteString("SaveAs\\Format", "GIF");
    EXPECT_EQ(LoadSaveAsChoice("/fallback").format, SaveFormat::kJpeg) << "an unknown format reads as JPEG";
}

TEST_F(SaveAs, DialogOffersQualityForJpegOnlyAndNeedsAnExistingFolder)
{
    SaveAsDialog dialog({host.folder, SaveFormat::kTiff, JpegQuality::kNormal}, nullptr);
    auto* format = dialog.findChild<QComboBox*>("format");
    auto* quality = dialog.findChild<QComboBox*>("quality");
    auto* folder = dialog.findChild<QLineEdit*>("folder");
    ASSERT_TRUE(format && quality && folder);
    EXPECT_EQ(format->currentText(), "TIFF");
    EXPECT_EQ(quality->currentText(), "Normal");
    EXPECT_FALSE(quality->isEnabled());
    format->setCurrentIndex(format->findText("JPEG"));
    EXPECT_TRUE(quality->isEnabled());
    quality->setCurrentIndex(quality->findText("Basic"));
    folder->setText(QString::fromStdString("  " + host.folder + " "));
    const SaveAsRequest request = dialog.Request();
    EXPECT_EQ(request.format, SaveFormat::kJpeg);
    EXPECT_EQ(request.quality, JpegQuality::kBasic);
    EXPECT_EQ(request.folder, host.folder);

    EXPECT_EQ(FolderProblem(host.folder), "");
    EXPECT_NE(FolderProblem(""), "");
    EXPECT_NE(FolderProblem(sandbox / "missing"), "");
    EXPECT_NE(FolderProblem(CameraPicture("DSCF0009.JPG", 8, 8)), "") << "a file is not a folder";
}

TEST_F(SaveAs, ExecSavesTheSelectionWhereTheUserChoseAndRemembersIt)
{
    const std::string first = CameraPicture("DSCF0001.JPG", 24, 16);
    const std::string second = CameraPicture("DSCF0002.JPG", 24, 16);
    const std::string folder = sandbox.MakeFolder("copies");
    std::vector<std::string> messages;
    QString offeredFolder;
    // Plays the user: fills in the dialog, then reads and closes each message.
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = dynamic_cast<SaveAsDialog*>(modal)) {
            auto* folderEdit = dialog->findChild<QLineEdit*>("folder");
            offeredFolder = folderEdit->text();
            folderEdit->setText(QString::fromStdString(folder));
            auto* format = dialog->findChild<QComboBox*>("format");
            format->setCurrentIndex(format->findText("BMP"));
            dialog->accept();
        } else if (auto* box = dynamic_cast<QMessageBox*>(modal)) {
            messages.push_back(box->text().toStdString());
            box->accept();
        }
    });
    user.start(10);

    EXPECT_EQ(RunSaveAsService(nullptr), 0) << "nothing selected";
    ASSERT_EQ(messages.size(), 1u);

    host.selected.paths = {first, second};
    EXPECT_EQ(RunSaveAsService(nullptr), 1);
    user.stop();
    EXPECT_EQ(offeredFolder.toStdString(), host.folder) << "first run: the current folder";
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"DSCF0001.BMP", "DSCF0002.BMP"}));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], "Saved 2 pictures in " + folder + ".");
    EXPECT_TRUE(host.updateFiles.empty()) << "the copies are not in the listed folder";
    const SaveAsRequest remembered = LoadSaveAsChoice("/elsewhere");
    EXPECT_EQ(remembered.folder, folder);
    EXPECT_EQ(remembered.format, SaveFormat::kBmp);
}
