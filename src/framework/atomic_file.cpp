#include "framework/atomic_file.h"

#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>

namespace {

// Enough tries that only a folder that refuses every new name ends the search.
constexpr int kTemporaryNameTries = 100;
constexpr std::size_t kRandomLength = 6;
// ".", the name, ".", the random part: within one file-name component.
constexpr std::size_t kLongestKeptName = NAME_MAX - kRandomLength - 2;

std::string RandomSuffix()
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}() ^ static_cast<std::uint64_t>(::getpid())};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
    std::string suffix(kRandomLength, 'X');
    for (char& c : suffix)
        c = kAlphabet[pick(generator)];
    return suffix;
}

// A name component cut to at most `limit` bytes without splitting a UTF-8 sequence.
std::string CutName(const std::string& name, std::size_t limit)
{
    if (name.size() <= limit)
        return name;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
        --end;
    return name.substr(0, end);
}

} // namespace

AtomicFileWriter::AtomicFileWriter(std::string path, Target target)
    : m_target(std::move(path))
    , m_mode(target)
{
}

AtomicFileWriter::~AtomicFileWriter()
{
    Discard();
}

int AtomicFileWriter::Fail(int error, const char* step, Subject subject)
{
    if (m_error == 0) {
        m_error = error != 0 ? error : EIO;
        m_failedStep = step;
        m_failedOnFolder = subject == Subject::kFolder && !m_folder.empty();
    }
    // Nothing can be done with a failed writer: its temporary file goes at once.
    if (!m_committed)
        Discard();
    return m_error;
}

std::string AtomicFileWriter::ErrorText() const
{
    if (m_error == 0)
        return {};
    return std::string(m_failedStep) + " " + (m_failedOnFolder ? m_folder : m_target) + ": "
        + std::strerror(m_error);
}

int AtomicFileWriter::ResolveTarget()
{
    if (m_target.empty())
        return Fail(EINVAL, "no file name given for");
    struct stat status {};
    if (::lstat(m_target.c_str(), &status) == 0) {
        if (m_mode == Target::kCreateNew)
            return Fail(EEXIST, "there is already a file at");
        if (S_ISLNK(status.st_mode)) {
            // Replace the file the link names, not the link.
            char* resolved = ::realpath(m_target.c_str(), nullptr);
            if (!resolved)
                return Fail(errno, "cannot follow the link");
            m_target = resolved;
            std::free(resolved);
            if (::stat(m_target.c_str(), &status) != 0)
                return Fail(errno, "cannot read the state of");
        }
        if (S_ISDIR(status.st_mode))
            return Fail(EISDIR, "cannot replace a folder:");
        if (!S_ISREG(status.st_mode))
            return Fail(EINVAL, "cannot replace what is not a regular file:");
        m_targetExists = true;
        m_targetMode = status.st_mode & 07777;
        m_targetUid = status.st_uid;
        m_targetGid = status.st_gid;
    } else if (errno != ENOENT) {
        return Fail(errno, "cannot read the state of");
    }

    const std::size_t slash = m_target.find_last_of('/');
    m_folder = slash == std::string::npos ? "." : slash == 0 ? "/" : m_target.substr(0, slash);
    m_name = slash == std::string::npos ? m_target : m_target.substr(slash + 1);
    if (m_name.empty() || m_name == "." || m_name == "..")
        return Fail(EISDIR, "cannot write a file named like a folder:");
    return 0;
}

int AtomicFileWriter::CreateTemporary()
{
    m_folderFd.emplace(::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_folderFd->IsOpen())
        return Fail(errno, "cannot open the folder", Subject::kFolder);
    // A new file gets 0666 less the umask from the kernel; a replacement starts private and
    // takes the original's permissions in Commit.
    const mode_t mode = m_targetExists ? 0600 : 0666;
    std::string stem(1, '.');
    stem.append(CutName(m_name, kLongestKeptName)).push_back('.');
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        std::string name = stem + RandomSuffix();
        const int fd = ::openat(FolderFd(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            m_fd.emplace(fd);
            m_temporaryName = std::move(name);
            m_temporaryPath = (m_folder == "/" ? "" : m_folder) + "/" + m_temporaryName;
            return 0;
        }
        if (errno != EEXIST && errno != EINTR)
            return Fail(errno, "cannot create a temporary file in", Subject::kFolder);
    }
    return Fail(EEXIST, "cannot find a free temporary name in", Subject::kFolder);
}

int AtomicFileWriter::Open()
{
    if (m_error != 0)
        return m_error;
    if (IsOpen() || m_committed)
        return Fail(EBUSY, "the writer was opened before for");
    if (const int error = ResolveTarget(); error != 0)
        return error;
    return CreateTemporary();
}

int AtomicFileWriter::Write(std::span<const std::uint8_t> bytes)
{
    if (m_error != 0)
        return m_error;
    if (!IsOpen())
        return Fail(EBADF, "the writer is not open for");
    const std::uint8_t* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd->Get(), data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return Fail(errno, "cannot write the temporary file in", Subject::kFolder);
        }
        // A regular file only writes nothing when there is no room at all.
        if (written == 0)
            return Fail(ENOSPC, "cannot write the temporary file in", Subject::kFolder);
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

int AtomicFileWriter::Write(std::string_view bytes)
{
    return Write(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

int AtomicFileWriter::Rename()
{
    const auto failed = [this](int error) {
        return error == EEXIST ? Fail(error, "there is already a file at")
                               : Fail(error, "cannot rename the temporary file in", Subject::kFolder);
    };
    const int folder = FolderFd();
    if (m_mode == Target::kReplaceOrCreate)
        return ::renameat(folder, m_temporaryName.c_str(), folder, m_name.c_str()) == 0 ? 0 : failed(errno);
    if (::renameat2(folder, m_temporaryName.c_str(), folder, m_name.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return failed(errno);
    // File systems without the flag: a hard link fails the same way on an existing name.
    if (::linkat(folder, m_temporaryName.c_str(), folder, m_name.c_str(), 0) != 0)
        return failed(errno);
    ::unlinkat(folder, m_temporaryName.c_str(), 0);
    return 0;
}

int AtomicFileWriter::Commit()
{
    if (m_error != 0)
        return m_error;
    if (!IsOpen())
        return Fail(EBADF, "the writer is not open for");
    if (m_targetExists) {
        // The owner first: changing it clears set-id bits that the mode then restores. Only a
        // privileged user may give a file away, so a refusal keeps the writer as owner.
        struct stat status {};
        if (::fstat(m_fd->Get(), &status) != 0)
            return Fail(errno, "cannot read the state of the temporary file in", Subject::kFolder);
        if ((status.st_uid != m_targetUid || status.st_gid != m_targetGid)
            && ::fchown(m_fd->Get(), m_targetUid, m_targetGid) != 0 && errno != EPERM)
            return Fail(errno, "cannot set the owner of the temporary file in", Subject::kFolder);
        if (::fchmod(m_fd->Get(), m_targetMode) != 0)
            return Fail(errno, "cannot set the permissions of the temporary file in", Subject::kFolder);
    }
    if (::fsync(m_fd->Get()) != 0)
        return Fail(errno, "cannot flush the temporary file in", Subject::kFolder);
    if (::close(m_fd->Release()) != 0)
        return Fail(errno, "cannot close the temporary file in", Subject::kFolder);
    if (const int error = Rename(); error != 0)
        return error;
    m_committed = true;
    m_temporaryName.clear();
    m_temporaryPath.clear();
    // Makes the rename itself durable. Some file systems cannot flush a folder (EINVAL).
    if (::fsync(FolderFd()) != 0 && errno != EINVAL)
        return Fail(errno, "cannot flush the folder", Subject::kFolder);
    return 0;
}

void AtomicFileWriter::Discard()
{
    if (IsOpen())
        ::close(m_fd->Release());
    if (!m_temporaryName.empty() && FolderFd() >= 0)
        ::unlinkat(FolderFd(), m_temporaryName.c_str(), 0);
    m_temporaryName.clear();
    m_temporaryPath.clear();
}

int WriteFileAtomically(const std::string& path, std::string_view content, AtomicFileWriter::Target target)
{
    AtomicFileWriter writer(path, target);
    if (const int error = writer.Open(); error != 0)
        return error;
    if (const int error = writer.Write(content); error != 0)
        return error;
    return writer.Commit();
}
