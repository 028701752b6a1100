#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "fixtures/child_process.h"
#include "fixtures/sandbox.h"
#include "formats/bmp_reader.h"
#include "formats/bmp_writer.h"
#include "library/dib_image.h"

namespace {

// A width whose rows need padding, and a different colour in every pixel.
DibImage Gradient(uint32_t width, uint32_t height)
{
    DibImage picture;
    EXPECT_TRUE(picture.Create(width, height, 24));
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* pixel = picture.Row(y) + x * 3;
            pixel[0] = static_cast<uint8_t>(x * 20);
            pixel[1] = static_cast<uint8_t>(y * 30);
            pixel[2] = static_cast<uint8_t>(x + y);
        }
    return picture;
}

} // namespace

TEST(BmpWriter, WrittenPicturesReadBackPixelForPixelTheRightWayUp)
{
    Sandbox sandbox;
    const DibImage picture = Gradient(5, 3);
    const std::string path = sandbox / "copy.bmp";
    ASSERT_EQ(WriteBmpFile(picture, path), BmpWriteResult::kOk);
    DibImage read;
    ASSERT_EQ(ReadBmpFile(path, read), BmpStatus::kComplete);
    ASSERT_EQ(read.Width(), 5u);
    ASSERT_EQ(read.Height(), 3u);
    for (uint32_t y = 0; y < 3; ++y)
        EXPECT_EQ(std::memcmp(read.Row(y), picture.Row(y), 15), 0) << "row " << y;
    EXPECT_EQ(std::filesystem::file_size(path), 54u + 16u * 3u);
}

TEST(BmpWriter, RefusesWhatABitmapFileCannotHoldAndKeepsTheTargetOnFailure)
{
    DibImage palette;
    ASSERT_TRUE(palette.Create(4, 4, 8));
    EXPECT_TRUE(EncodeBmp(palette).empty());
    EXPECT_TRUE(EncodeBmp(DibImage()).empty());

    Sandbox sandbox;
    const std::string folder = sandbox / "locked";
    std::filesystem::create_directory(folder);
    const std::string path = folder + "/old.bmp";
    ASSERT_EQ(WriteBmpFile(Gradient(2, 2), path), BmpWriteResult::kOk);
    const auto before = std::filesystem::file_size(path);
    EXPECT_EQ(WriteBmpFile(palette, path), BmpWriteResult::kUnsupported);
    // A plain user, since the superuser writes into any folder.
    ASSERT_EQ(::chmod(sandbox.Path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    const DibImage larger = Gradient(7, 7);
    const int code = RunAsPlainUser(
        [&] { return WriteBmpFile(larger, path) == BmpWriteResult::kWriteFailed ? 0 : 1; });
    ::chmod(folder.c_str(), 0755);
    if (code == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot run as a plain user";
    EXPECT_EQ(code, 0);
    EXPECT_EQ(std::filesystem::file_size(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}
