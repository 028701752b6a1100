#include <gtest/gtest.h>

#include "library/media_type.h"

TEST(MediaType, ClassifiesByLowerCaseExtension)
{
    for (const char* name : {"photo.JPG", "photo.jpeg", "PHOTO.JpG", "/card/DCIM/a.b.jpg"}) {
        EXPECT_EQ(TypeNameOfPath(name), "JPEG") << name;
        EXPECT_TRUE(IsImageType(TypeNameOfPath(name)));
    }
    EXPECT_EQ(TypeNumberOfTypeName("JPEG"), 1);
    EXPECT_EQ(TypeNumberOfTypeName("TIFF"), 3);
    EXPECT_EQ(TypeNumberOfTypeName("MPEG"), 8);
    EXPECT_EQ(TypeNumberOfTypeName("MOV"), 12);
    EXPECT_EQ(TypeNumberOfTypeName("RAG"), 16);
    EXPECT_EQ(TypeNumberOfTypeName("PNG"), 0);
}

TEST(MediaType, RagIsMediaButBelongsToNoCategory)
{
    const std::string_view type = TypeNameOfPath("x.rag");
    EXPECT_TRUE(IsMediaFileName("x.rag"));
    EXPECT_FALSE(IsImageType(type) || IsMovieType(type) || IsSoundType(type) || IsRawType(type));
    EXPECT_TRUE(IsRawType(TypeNameOfPath("x.RAF")));
    EXPECT_TRUE(IsImageType(TypeNameOfPath("x.RAF")));
    EXPECT_TRUE(IsMovieType(TypeNameOfPath("clip.mov")));
    EXPECT_TRUE(IsSoundType(TypeNameOfPath("memo.WAV")));
}

TEST(MediaType, NamesWithoutMediaExtensionAreNotMedia)
{
    for (const char* name : {"archive.tar.gz", "README", "folder.d/README", "trailingdot.", ".jpg/x"})
        EXPECT_FALSE(IsMediaFileName(name)) << name;
    // A hidden file whose whole name is the extension still has that extension.
    EXPECT_TRUE(IsMediaFileName(".jpg"));
}

TEST(MediaType, PathParts)
{
    EXPECT_EQ(FileNameOfPath("/a/b/c.JPG"), "c.JPG");
    EXPECT_EQ(BaseNameOfPath("/a/b/c.d.JPG"), "c.d");
    EXPECT_EQ(LowerExtensionOfPath("/a.b/c"), "");
    EXPECT_EQ(LowerExtensionOfPath("/a/DSCF0001.RAF"), "raf");
}
