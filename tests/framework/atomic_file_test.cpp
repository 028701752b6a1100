#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fixtures/child_process.h"
#include "fixtures/sandbox.h"
#include "framework/atomic_file.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const std::string& path)
{
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

// The file-size limit of a full disk: a write beyond `bytes` fails with EFBIG instead of
// killing the process.
void LimitFileSize(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

class AtomicFileTest : public ::testing::Test {
protected:
    Sandbox sandbox;
};

} // namespace

TEST_F(AtomicFileTest, CreatesANewFileWithTheUmaskPermissions)
{
    const mode_t saved = ::umask(027);
    const std::string path = sandbox / "new.txt";
    const int error = WriteFileAtomically(path, "fresh");
    ::umask(saved);
    ASSERT_EQ(error, 0);
    EXPECT_EQ(ReadTextFile(path), "fresh");
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(FolderNames(sandbox.Path()), std::vector<std::string>{"new.txt"});
}

TEST_F(AtomicFileTest, ReplacesAFileAndKeepsItsPermissions)
{
    for (const mode_t mode : {0640, 0600, 0444, 0755}) {
        const std::string path = sandbox.WriteFile("kept.txt", "old contents");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        AtomicFileWriter writer(path);
        ASSERT_EQ(writer.Open(), 0);
        // While it is written the new file is hidden and private, beside the target.
        const std::string temporary = writer.TemporaryPath();
        EXPECT_EQ(fs::path(temporary).parent_path(), fs::path(sandbox.Path()));
        EXPECT_EQ(fs::path(temporary).filename().string().rfind(".kept.txt.", 0), 0u) << temporary;
        EXPECT_EQ(ModeOf(temporary), 0600u);
        ASSERT_EQ(writer.Write("new "), 0);
        ASSERT_EQ(writer.Write("contents"), 0);
        EXPECT_EQ(ReadTextFile(path), "old contents");
        ASSERT_EQ(writer.Commit(), 0);
        EXPECT_TRUE(writer.IsCommitted());
        EXPECT_TRUE(writer.TemporaryPath().empty());
        EXPECT_EQ(ReadTextFile(path), "new contents");
        EXPECT_EQ(ModeOf(path), mode);
        EXPECT_EQ(FolderNames(sandbox.Path()), std::vector<std::string>{"kept.txt"});
        ::chmod(path.c_str(), 0600);
        fs::remove(path);
    }
}

TEST_F(AtomicFileTest, AWriterWithoutCommitLeavesTheTargetAndNoTemporaryFile)
{
    const std::string path = sandbox.WriteFile("picture.jpg", "original");
    {
        AtomicFileWriter writer(path);
        ASSERT_EQ(writer.Open(), 0);
        ASSERT_EQ(writer.Write(std::string(100000, 'x')), 0);
        EXPECT_EQ(FolderNames(sandbox.Path()).size(), 2u);
    }
    EXPECT_EQ(ReadTextFile(path), "original");
    EXPECT_EQ(FolderNames(sandbox.Path()), std::vector<std::string>{"picture.jpg"});

    AtomicFileWriter discarded(sandbox / "never.txt");
    ASSERT_EQ(discarded.Open(), 0);
    discarded.Discard();
    EXPECT_EQ(discarded.Commit(), EBADF);
    EXPECT_EQ(FolderNames(sandbox.Path()), std::vector<std::string>{"picture.jpg"});
}

TEST_F(AtomicFileTest, CreateNewNeverReplacesAFile)
{
    const std::string path = sandbox.WriteFile("taken.txt", "theirs");
    AtomicFileWriter early(path, AtomicFileWriter::Target::kCreateNew);
    EXPECT_EQ(early.Open(), EEXIST);
    EXPECT_NE(early.ErrorText().find("taken.txt"), std::string::npos) << early.ErrorText();

    // A file that appears while ours is being written wins as well.
    const std::string racing = sandbox / "racing.txt";
    AtomicFileWriter late(racing, AtomicFileWriter::Target::kCreateNew);
    ASSERT_EQ(late.Open(), 0);
    ASSERT_EQ(late.Write("ours"), 0);
    sandbox.WriteFile("racing.txt", "theirs");
    EXPECT_EQ(late.Commit(), EEXIST);
    EXPECT_FALSE(late.IsCommitted());
    EXPECT_EQ(ReadTextFile(racing), "theirs");
    EXPECT_EQ(FolderNames(sandbox.Path()), (std::vector<std::string>{"racing.txt", "taken.txt"}));

    // And a link, even one that leads nowhere, is an existing name.
    fs::create_symlink(sandbox / "nowhere", sandbox / "link");
    AtomicFileWriter linked(sandbox / "link", AtomicFileWriter::Target::kCreateNew);
    EXPECT_EQ(linked.Open(), EEXIST);

    AtomicFileWriter fresh(sandbox / "fresh.txt", AtomicFileWriter::Target::kCreateNew);
    ASSERT_EQ(fresh.Open(), 0);
    ASSERT_EQ(fresh.Write("mine"), 0);
    ASSERT_EQ(fresh.Commit(), 0);
    EXPECT_EQ(ReadTextFile(sandbox / "fresh.txt"), "mine");
}

TEST_F(AtomicFileTest, ReplacesTheFileALinkNamesAndKeepsTheLink)
{
    const std::string target = sandbox.WriteFile("real/file.txt", "before");
    ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
    fs::create_symlink("real/file.txt", sandbox / "link.txt");
    AtomicFileWriter writer(sandbox / "link.txt");
    ASSERT_EQ(writer.Open(), 0);
    EXPECT_EQ(fs::path(writer.TemporaryPath()).parent_path(), fs::canonical(sandbox / "real"));
    ASSERT_EQ(writer.Write("after"), 0);
    ASSERT_EQ(writer.Commit(), 0);
    EXPECT_TRUE(fs::is_symlink(sandbox / "link.txt"));
    EXPECT_EQ(ReadTextFile(target), "after");
    EXPECT_EQ(ModeOf(target), 0604u);
    EXPECT_EQ(FolderNames(sandbox / "real"), std::vector<std::string>{"file.txt"});

    fs::create_symlink("missing.txt", sandbox / "dangling");
    EXPECT_EQ(WriteFileAtomically(sandbox / "dangling", "x"), ENOENT);
    EXPECT_FALSE(fs::exists(sandbox / "missing.txt"));
}

TEST_F(AtomicFileTest, RefusesTargetsThatAreNoRegularFiles)
{
    sandbox.MakeFolder("folder");
    EXPECT_EQ(WriteFileAtomically(sandbox / "folder", "x"), EISDIR);
    EXPECT_EQ(WriteFileAtomically(sandbox.Path() + "/", "x"), EISDIR);
    EXPECT_EQ(WriteFileAtomically("", "x"), EINVAL);
    EXPECT_EQ(WriteFileAtomically("/dev/null", "x"), EINVAL);
    EXPECT_EQ(WriteFileAtomically(sandbox / "no/such/folder/file.txt", "x"), ENOENT);
    EXPECT_EQ(FolderNames(sandbox.Path()), std::vector<std::string>{"folder"});
}

TEST_F(AtomicFileTest, WorksWithTheLongestFileName)
{
    const std::string name(255, 'n');
    ASSERT_EQ(WriteFileAtomically(sandbox / name, "long"), 0);
    EXPECT_EQ(ReadTextFile(sandbox / name), "long");
    ASSERT_EQ(WriteFileAtomically(sandbox / name, "longer"), 0);
    EXPECT_EQ(ReadTextFile(sandbox / name), "longer");
    EXPECT_EQ(FolderNames(sandbox.Path()), std::vector<std::string>{name});
}

TEST_F(AtomicFileTest, AFullDiskFailsTheWriteAndLeavesTheOriginal)
{
    const std::string path = sandbox.WriteFile("big.bin", "the original");
    const int result = RunInChild([&] {
        LimitFileSize(64 * 1024);
        AtomicFileWriter writer(path);
        if (writer.Open() != 0)
            return 1;
        const int error = writer.Write(std::string(256 * 1024, 'z'));
        // Every later step reports the first failure again.
        if (writer.Write("more") != error || writer.Commit() != error)
            return 2;
        if (!writer.TemporaryPath().empty() || writer.ErrorText().find("File too large") == std::string::npos)
            return 3;
        return error == EFBIG ? 0 : 4;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadTextFile(path), "the original");
    EXPECT_EQ(FolderNames(sandbox.Path()), std::vector<std::string>{"big.bin"});
}

TEST_F(AtomicFileTest, AReadOnlyFolderRefusesTheTemporaryFile)
{
    const std::string folder = sandbox.MakeFolder("locked");
    const std::string path = sandbox.WriteFile("locked/file.txt", "kept");
    ASSERT_EQ(::chmod(sandbox.Path().c_str(), 0777), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    const int result = RunAsPlainUser([&] {
        AtomicFileWriter writer(path);
        const int error = writer.Open();
        if (writer.ErrorText().find("cannot create a temporary file in " + folder) == std::string::npos)
            return 1;
        return error == EACCES ? 0 : 2;
    });
    ::chmod(folder.c_str(), 0755);
    if (result == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot run as an unprivileged user";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadTextFile(path), "kept");
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"file.txt"});
}

TEST_F(AtomicFileTest, AWriterIsOpenedOnce)
{
    AtomicFileWriter writer(sandbox / "once.txt");
    EXPECT_EQ(writer.Write("early"), EBADF);
    AtomicFileWriter second(sandbox / "twice.txt");
    ASSERT_EQ(second.Open(), 0);
    EXPECT_EQ(second.Open(), EBUSY);
    EXPECT_TRUE(FolderNames(sandbox.Path()).empty());
}
