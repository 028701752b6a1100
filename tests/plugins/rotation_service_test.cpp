#include <gtest/gtest.h>

#include <fstream>

#include "fixtures/sandbox.h"
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

TEST(RotationModules, LoadAsTheProgramLoadsThem)
{
    for (const char* module : {"svc07.so", "svc08.so"}) {
        ServiceSlot slot;
        slot.SetModulePath(std::string(VISTREL_SYSTEM_DIR) + "/" + module);
        ASSERT_TRUE(slot.Load(NoHostFunctions)) << slot.LoadError();
        EXPECT_EQ(slot.Entries().getType(), 0);
        EXPECT_EQ(slot.Entries().createWindowL, nullptr);
    }
}
