#include <string>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "library/dcf_name.h"

namespace {

// A sandbox that plays a memory card: its own folder is the mount point.
class Card {
public:
    std::string File(std::string_view relative) const { return m_sandbox.WriteFile(relative, "x"); }
    std::string Folder(std::string_view relative) const { return m_sandbox.MakeFolder(relative); }
    const std::string& Root() const { return m_sandbox.Path(); }
    MountPointTest MountTest() const
    {
        return [root = m_sandbox.Path()](const std::string& folder) { return folder == root; };
    }

private:
    Sandbox m_sandbox;
};

} // namespace

TEST(DcfMatch, ReadsTheNumberOfAFolderName)
{
    EXPECT_EQ(DcfMatch("###?????", "100_ABCD"), 100);
    EXPECT_EQ(DcfMatch("###?????", "999abcde"), 999);
    EXPECT_EQ(DcfMatch("###?????", "000ABCDE"), 0); // a number 0 is no number
    EXPECT_EQ(DcfMatch("###?????", "10_ABCDE"), 0);
    EXPECT_EQ(DcfMatch("###?????", "100ABCD"), 0);   // name too short
    EXPECT_EQ(DcfMatch("###?????", "100ABCDEF"), 0); // name too long
    EXPECT_EQ(DcfMatch("###?????", "100AB-DE"), 0);
    EXPECT_EQ(DcfMatch("###?????",
                       "100AB\xC3\xA9"
                       "D"),
              0); // only ASCII letters
}

TEST(DcfMatch, AcceptsExtensionsOfOneToThreeCharacters)
{
    EXPECT_EQ(DcfMatch("????####.?$$", "DSCF0012.JPG"), 12);
    EXPECT_EQ(DcfMatch("????####.?$$", "dscf0012.jpg"), 12);
    EXPECT_EQ(DcfMatch("????####.?$$", "DSCF0012.JP"), 12);
    EXPECT_EQ(DcfMatch("????####.?$$", "DSCF0012.J"), 12);
    EXPECT_EQ(DcfMatch("????####.?$$", "DSCF0012."), 0);
    EXPECT_EQ(DcfMatch("????####.?$$", "DSC_0012.JPEG"), 0);
    EXPECT_EQ(DcfMatch("????####.?$$", "DSCF0012"), 0);
    EXPECT_EQ(DcfMatch("????####.?$$", "DSCF0012_JPG"), 0);
    EXPECT_EQ(DcfMatch("????####.?$$", "DSCF0000.JPG"), 0);
    EXPECT_EQ(DcfMatch("????####.?$$", "DSCF9999.JPG"), 9999);
}

TEST(DcfMatch, LowerCaseNameLettersMatchUpperCaseMaskLettersOnly)
{
    EXPECT_EQ(DcfMatch("IM##????", "IM01ABCD"), 1);
    EXPECT_EQ(DcfMatch("IM##????", "im01abcd"), 1);
    EXPECT_EQ(DcfMatch("im##????", "IM01ABCD"), 0);
    EXPECT_EQ(DcfMatch("IM##????", "IN01ABCD"), 0);
}

TEST(DcfFolderNumber, NeedsAUniqueNumberedFolderInDcimAtTheRoot)
{
    Card card;
    const std::string folder = card.Folder("DCIM/100_ABCD");
    EXPECT_EQ(DcfFolderNumber(folder, card.MountTest()), 100);
    EXPECT_EQ(DcfFolderNumber(folder + "/", card.MountTest()), 100);
    EXPECT_EQ(DcfFolderNumber(card.Folder("dcim/101ABCDE"), card.MountTest()), 101);
    EXPECT_EQ(DcfFolderNumber(card.Folder("DCIM/099_ABCD"), card.MountTest()), 99);
    EXPECT_EQ(DcfFolderNumber(card.Folder("PHOTOS/100_ABCD"), card.MountTest()), 0);
    EXPECT_EQ(DcfFolderNumber(card.Folder("deeper/DCIM/100_ABCD"), card.MountTest()), 0);
    EXPECT_EQ(DcfFolderNumber(card.Root() + "/DCIM/102_GONE", card.MountTest()), 0); // not a folder
    EXPECT_EQ(DcfFolderNumber(folder, [](const std::string&) { return false; }), 0);
}

TEST(DcfFolderNumber, TwoFoldersWithOneNumberHaveNone)
{
    Card card;
    const std::string first = card.Folder("DCIM/100_ABCD");
    EXPECT_EQ(DcfFolderNumber(first, card.MountTest()), 100);
    card.File("DCIM/100_FILE"); // a file is not a second folder
    EXPECT_EQ(DcfFolderNumber(first, card.MountTest()), 100);
    const std::string second = card.Folder("DCIM/100_EFGH");
    EXPECT_EQ(DcfFolderNumber(first, card.MountTest()), 0);
    EXPECT_EQ(DcfFolderNumber(second, card.MountTest()), 0);
}

TEST(DcfFileNumber, CountsOnlyFilesWithABasicExtension)
{
    Card card;
    const std::string jpeg = card.File("DCIM/100_ABCD/DSCF0001.JPG");
    EXPECT_EQ(DcfFileNumber(jpeg), 1);
    card.File("DCIM/100_ABCD/DSCF0001.WAV"); // a sound memo shares the number harmlessly
    EXPECT_EQ(DcfFileNumber(jpeg), 1);
    card.Folder("DCIM/100_ABCD/DSCF0001.TIF"); // so does a folder
    EXPECT_EQ(DcfFileNumber(jpeg), 1);
    const std::string raw = card.File("DCIM/100_ABCD/dscf0001.raf");
    EXPECT_EQ(DcfFileNumber(jpeg), 0);
    EXPECT_EQ(DcfFileNumber(raw), 0);
    EXPECT_EQ(DcfFileNumber(card.Root() + "/DCIM/100_ABCD/DSCF0001.WAV"), 0);
}

TEST(DcfFileNumber, NeedsANonZeroNumberInAnExistingFolder)
{
    Card card;
    EXPECT_EQ(DcfFileNumber(card.File("DCIM/100_ABCD/DSCF0000.JPG")), 0);
    EXPECT_EQ(DcfFileNumber(card.File("DCIM/100_ABCD/DSC_0012.JPEG")), 0);
    EXPECT_EQ(DcfFileNumber(card.File("DCIM/100_ABCD/dscf0012.jpg")), 12);
    EXPECT_EQ(DcfFileNumber(card.Root() + "/nowhere/DSCF0003.JPG"), 0);
    EXPECT_EQ(DcfFileNumber(card.Root() + "/DCIM/100_ABCD/DSCF0004.JPG"), 4); // the file itself may be gone
}

TEST(DcfNumber, CombinesFolderAndFileNumbers)
{
    Card card;
    const std::string file = card.File("DCIM/100_ABCD/DSCF0001.JPG");
    EXPECT_EQ(DcfNumber(file, card.MountTest()), 1000001);
    EXPECT_EQ(DcfNumberText(file, card.MountTest()), "100-0001");
    EXPECT_EQ(DcfNumberText(card.File("DCIM/999_ABCD/DSCF9999.JPG"), card.MountTest()), "999-9999");
}

TEST(DcfNumber, EdgeCasesHaveNone)
{
    Card card;
    EXPECT_EQ(DcfNumberText(card.File("DCIM/100_ABCD/DSCF0000.JPG"), card.MountTest()), "");
    EXPECT_EQ(DcfNumberText(card.File("DCIM/099_ABCD/DSCF0001.JPG"), card.MountTest()), "");
    EXPECT_EQ(DcfNumberText(card.File("DCIM/101_ABCD/DSC_0012.JPEG"), card.MountTest()), "");
    card.File("DCIM/102_ABCD/DSCF0001.JPG");
    EXPECT_EQ(DcfNumberText(card.File("DCIM/102_ABCD/DSCF0001.RAF"), card.MountTest()), "");
    EXPECT_EQ(DcfNumberText(card.Root() + "/DCIM/102_ABCD/DSCF0001.JPG", card.MountTest()), "");
    // The same name off the card.
    EXPECT_EQ(
        DcfNumberText(card.File("DCIM/103_ABCD/DSCF0001.JPG"), [](const std::string&) { return false; }), "");
}

TEST(DcfNumber, ShortNumberForPreDcfFolders)
{
    Card card;
    const std::string atRoot = card.File("IM01ABCD/IMG_0003.JPG");
    EXPECT_EQ(ShortDcfNumber(atRoot, card.MountTest()), 10003);
    EXPECT_EQ(DcfNumberText(atRoot, card.MountTest()), "01-0003");
    EXPECT_EQ(DcfNumberText(card.File("DCIM/IM02ABCD/IMG_0004.JPG"), card.MountTest()), "02-0004");
    EXPECT_EQ(DcfNumberText(card.File("a/b/IM03ABCD/IMG_0005.JPG"), card.MountTest()), "");
    EXPECT_EQ(DcfNumberText(card.File("IM00ABCD/IMG_0006.JPG"), card.MountTest()), "");
    EXPECT_EQ(DcfNumberText(card.File("IM04ABCD/IMG_0000.JPG"), card.MountTest()), "");
    EXPECT_EQ(DcfNumberText(atRoot, [](const std::string&) { return false; }), "");
}

TEST(DcfNumber, WorksOnRelativeAndUntidyPaths)
{
    Card card;
    card.File("DCIM/100_ABCD/DSCF0001.JPG");
    EXPECT_EQ(DcfNumberText(card.Root() + "/DCIM/./x/../100_ABCD/DSCF0001.JPG", card.MountTest()),
              "100-0001");
    EXPECT_EQ(DcfNumberText(card.Root() + "//DCIM//100_ABCD/DSCF0001.JPG", card.MountTest()), "100-0001");
}

TEST(IsMountPoint, KnowsTheRootAndTheSystemsMounts)
{
    EXPECT_TRUE(IsMountPoint("/"));
    EXPECT_TRUE(IsMountPoint("/proc"));
    Sandbox sandbox;
    EXPECT_FALSE(IsMountPoint(sandbox.MakeFolder("plain")));
    EXPECT_FALSE(IsMountPoint(sandbox.Path() + "/missing"));
}
