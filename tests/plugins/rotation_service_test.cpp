#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "fixtures/sandbox.h"
#include "formats/exif_reader.h"
#include "formats/image_transform.h"
#include "formats/jpeg_decode.h"
#include "library/dib_image.h"
#include "media_writers/jpeg_writer.h"
#include "rotation_run.h"
#include "services/service_slot.h"

namespace {

std::string WritePicture(const Sandbox& sandbox, const std::string& name, uint32_t width, uint32_t height)
{
    const Bytes jpeg = EncodeJpeg(QuadrantPicture(width, height));
    return sandbox.WriteFile(name, std::string_view(reinterpret_cast<const char*>(jpeg.data()), jpeg.size()));
}

std::string TypeByExtension(const std::string& path)
{
    if (path.ends_with(".JPG"))
        return "JPEG";
    if (path.ends_with(".TIF"))
        return "TIFF";
    return "";
}

// A picture stored with an Exif orientation: the upright width x height picture transformed so
// that applying the orientation shows it upright again.
std::string WriteOrientedPicture(const Sandbox& sandbox, const std::string& name, int orientation,
                                 uint32_t width, uint32_t height)
{
    const DibImage upright = QuadrantPicture(width, height);
    const int transform = OrientationTransform(orientation);
    const int inverse = transform == 1 ? 3 : transform == 3 ? 1 : transform;
    DibImage stored = upright; // orientation 1 stores it as it is
    if (transform > 0) {
        EXPECT_EQ(TransformImage(&upright, &stored, inverse), 0);
    }
    ExifBuilder exif;
    exif.ifd0.Short(0x0112, {static_cast<uint16_t>(orientation)});
    const Bytes file = WithExif(EncodeJpeg(stored, {95, false}), exif.Build().bytes);
    return sandbox.WriteFile(name, AsText(file));
}

DibImage DecodedPicture(const std::string& path)
{
    DibImage picture;
    EXPECT_TRUE(DecodeJpegFile(path, picture)) << path;
    return picture;
}

int OrientationOf(const std::string& path)
{
    ExifReader reader;
    return reader.OpenJpegFile(path) == TiffResult::kOk ? reader.Orientation() : 0;
}

VistrelHostProc NoHostFunctions(HostBuffer name)
{
    VistrelFreeBuffer(&name);
    return nullptr;
}

} // namespace

TEST(RotationRun, TurnsJpegsAndLeavesWhatCannotBeTurnedLosslessly)
{
    Sandbox sandbox;
    const std::string aligned = WritePicture(sandbox, "A.JPG", 64, 32);
    const std::string tiff = sandbox.WriteFile("B.TIF", "II*\0");
    const std::string missing = sandbox / "C.JPG";
    const std::string movie = sandbox.WriteFile("D.AVI", "RIFF");
    int questions = 0;
    RotationRun run{TypeByExtension, [&](const std::string&) { return ++questions, false; }};

    const RotationOutcome outcome = RotateFiles({aligned, tiff, movie, missing}, RotationTurn::Clockwise, run);
    EXPECT_EQ(outcome.rotated, std::vector<std::string>{aligned});
    EXPECT_EQ(outcome.notTurnable, std::vector<std::string>{tiff});
    ASSERT_EQ(outcome.failed.size(), 1u);
    EXPECT_TRUE(outcome.failed[0].starts_with(missing + ": "));
    EXPECT_EQ(questions, 0);
    EXPECT_NE(RotationReport(outcome).find("B.TIF"), std::string::npos);
    EXPECT_EQ(RotationReport(outcome).find("D.AVI"), std::string::npos);

    DibImage picture;
    ASSERT_TRUE(DecodeJpegFile(aligned, picture));
    EXPECT_EQ(picture.Width(), 32u);
    EXPECT_EQ(picture.Height(), 64u);
}

TEST(RotationRun, AsksOnceWhetherToTrimAndKeepsTheAnswer)
{
    Sandbox sandbox;
    // 40 is not a multiple of the 16-pixel block group: the bottom edge cannot move losslessly.
    const std::string first = WritePicture(sandbox, "A.JPG", 64, 40);
    const std::string second = WritePicture(sandbox, "B.JPG", 64, 40);
    for (const bool trim : {false, true}) {
        const std::string before = ReadTextFile(first);
        int questions = 0;
        RotationRun run{TypeByExtension, [&](const std::string& path) {
                            EXPECT_EQ(path, first);
                            ++questions;
                            return trim;
                        }};
        const RotationOutcome outcome = RotateFiles({first, second}, RotationTurn::Clockwise, run);
        EXPECT_EQ(questions, 1);
        if (trim) {
            EXPECT_EQ(outcome.rotated.size(), 2u);
        } else {
            EXPECT_EQ(outcome.skipped.size(), 2u);
            EXPECT_EQ(ReadTextFile(first), before);
        }
    }
}

TEST(RotationRun, UprightModeUndoesEachPicturesOrientation)
{
    Sandbox sandbox;
    const int orientations[] = {2, 3, 4, 5, 6, 7, 8};
    std::vector<std::string> paths;
    std::vector<DibImage> expected;
    for (const int orientation : orientations) {
        const std::string name = std::string(1, static_cast<char>('0' + orientation)) + ".JPG";
        paths.push_back(WriteOrientedPicture(sandbox, name, orientation, 64, 48));
        DibImage picture = DecodedPicture(paths.back());
        OrientImage(orientation, picture);
        expected.push_back(std::move(picture));
    }
    int questions = 0;
    RotationRun run{TypeByExtension, [&](const std::string&) { return ++questions, false; }};
    const RotationOutcome outcome = RotateFiles(paths, UprightByOrientation{}, run);
    EXPECT_EQ(outcome.rotated, paths);
    EXPECT_TRUE(outcome.failed.empty());
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(RotationReport(outcome), "");
    for (std::size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        const DibImage turned = DecodedPicture(paths[i]);
        ASSERT_EQ(turned.Width(), 64u);
        ASSERT_EQ(turned.Height(), 48u);
        int largest = 0;
        for (uint32_t y = 0; y < turned.Height(); ++y)
            for (uint32_t x = 0; x < turned.Width() * 3; ++x)
                largest = std::max(largest, std::abs(turned.Row(y)[x] - expected[i].Row(y)[x]));
        EXPECT_LE(largest, 2);
        EXPECT_EQ(QuadrantColour(turned, 8, 8), 'R');
        EXPECT_EQ(QuadrantColour(turned, 56, 8), 'G');
        EXPECT_EQ(QuadrantColour(turned, 8, 40), 'B');
        EXPECT_EQ(OrientationOf(paths[i]), 1);
    }
}

TEST(RotationRun, UprightModeCountsUprightPicturesAndLeavesThem)
{
    Sandbox sandbox;
    const std::string tagged = WriteOrientedPicture(sandbox, "A.JPG", 1, 64, 48);
    const std::string untagged = WritePicture(sandbox, "B.JPG", 64, 48);
    const std::string tiff = sandbox.WriteFile("C.TIF", "II*\0");
    const std::string taggedBefore = ReadTextFile(tagged);
    const std::string untaggedBefore = ReadTextFile(untagged);
    RotationRun run{TypeByExtension, [](const std::string&) { return false; }};

    RotationOutcome outcome = RotateFiles({tagged, untagged}, UprightByOrientation{}, run);
    EXPECT_TRUE(outcome.rotated.empty());
    EXPECT_EQ(outcome.alreadyUpright, (std::vector<std::string>{tagged, untagged}));
    EXPECT_EQ(RotationReport(outcome), "2 pictures were upright already, so nothing was turned.");
    EXPECT_EQ(ReadTextFile(tagged), taggedBefore);
    EXPECT_EQ(ReadTextFile(untagged), untaggedBefore);

    // With a picture turned or refused, the upright ones are not worth a word.
    const std::string turned = WriteOrientedPicture(sandbox, "D.JPG", 6, 64, 48);
    outcome = RotateFiles({tagged, turned, tiff}, UprightByOrientation{}, run);
    EXPECT_EQ(outcome.rotated, std::vector<std::string>{turned});
    EXPECT_EQ(outcome.alreadyUpright, std::vector<std::string>{tagged});
    EXPECT_EQ(outcome.notTurnable, std::vector<std::string>{tiff});
    const std::string report = RotationReport(outcome);
    EXPECT_NE(report.find("C.TIF"), std::string::npos);
    EXPECT_EQ(report.find("upright"), std::string::npos);
    outcome = RotateFiles({tagged}, UprightByOrientation{}, run);
    EXPECT_EQ(RotationReport(outcome), "1 picture was upright already, so nothing was turned.");
}

TEST(RotationRun, UprightModeAsksOnceWhetherToTrim)
{
    Sandbox sandbox;
    // Upright 40 x 64, stored 64 x 40 with orientation 6: undoing it moves the partial bottom
    // edge to the left.
    const std::string first = WriteOrientedPicture(sandbox, "A.JPG", 6, 40, 64);
    const std::string second = WriteOrientedPicture(sandbox, "B.JPG", 8, 40, 64);
    int questions = 0;
    RotationRun run{TypeByExtension, [&](const std::string& path) {
                        EXPECT_EQ(path, first);
                        return ++questions, true;
                    }};
    const RotationOutcome outcome = RotateFiles({first, second}, UprightByOrientation{}, run);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(outcome.rotated, (std::vector<std::string>{first, second}));
    for (const std::string& path : {first, second}) {
        const DibImage turned = DecodedPicture(path);
        EXPECT_EQ(turned.Height(), 64u);
        EXPECT_LE(turned.Width(), 40u);
        EXPECT_EQ(OrientationOf(path), 1);
    }
}

TEST(RotationModules, LoadAsTheProgramLoadsThem)
{
    for (const char* module : {"svc07.so", "svc08.so", "svc10.so"}) {
        ServiceSlot slot;
        slot.SetModulePath(std::string(VISTREL_SYSTEM_DIR) + "/" + module);
        ASSERT_TRUE(slot.Load(NoHostFunctions)) << slot.LoadError();
        EXPECT_EQ(slot.Entries().getType(), 0);
        EXPECT_EQ(slot.Entries().createWindowL, nullptr);
    }
}
