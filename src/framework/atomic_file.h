#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "framework/file_descriptor.h"

// Writes a file so that it is never seen half-written: the bytes go to a hidden temporary file
// in the target's folder (".<name>.XXXXXX", created exclusively), which is flushed to disk,
// given the original's permissions and renamed over the target only in Commit. Until then the
// target is untouched; a writer destroyed without a successful Commit removes its temporary
// file, so no failure leaves anything behind.
//
// A symbolic link as target is followed: the file it names is replaced, the link stays. Errors
// are errno values (0 for success); the first failure sticks, later calls return it again, and
// ErrorText says which step failed. One object per file and thread.
class AtomicFileWriter {
public:
    enum class Target {
        kReplaceOrCreate, // replace the file when it exists, keeping its permissions
        kCreateNew,       // create a new file; an existing one (any kind) fails with EEXIST
    };

    explicit AtomicFileWriter(std::string path, Target target = Target::kReplaceOrCreate);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file. A target that is not a regular file fails (EISDIR for a
    // folder, EINVAL for other kinds); with kCreateNew an existing target fails with EEXIST.
    int Open();
    // Writes all of the bytes (short writes are continued); a full disk or file-size limit
    // fails with ENOSPC or EFBIG. Needs a successful Open.
    int Write(std::span<const std::uint8_t> bytes);
    int Write(std::string_view bytes);
    // fsync, permissions (the original's; 0666 less the umask for a new file), the owner of
    // the original where the system allows it, rename over the target (kCreateNew: only when
    // there is still none, else EEXIST) and fsync of the folder. When the last step fails the
    // target has been replaced already: IsCommitted tells.
    int Commit();
    // Removes the temporary file now (the destructor does the same).
    void Discard();

    // The file that is replaced or created (links resolved once Open succeeded).
    const std::string& TargetPath() const { return m_target; }
    // Empty until Open succeeded and again after Commit or Discard.
    const std::string& TemporaryPath() const { return m_temporaryPath; }
    bool IsCommitted() const { return m_committed; }
    int Error() const { return m_error; }
    // "cannot create a temporary file in /photos: Permission denied"; empty without an error.
    std::string ErrorText() const;

private:
    enum class Subject { kTarget, kFolder };
    int Fail(int error, const char* step, Subject subject = Subject::kTarget);
    int ResolveTarget();
    int CreateTemporary();
    int Rename();
    bool IsOpen() const { return m_fd && m_fd->IsOpen(); }
    int FolderFd() const { return m_folderFd ? m_folderFd->Get() : -1; }

    std::string m_target;
    Target m_mode;
    std::string m_folder;
    std::string m_name;
    std::string m_temporaryName;
    std::string m_temporaryPath;
    std::optional<FileDescriptor> m_folderFd;
    std::optional<FileDescriptor> m_fd;
    bool m_targetExists = false;
    std::uint32_t m_targetMode = 0;
    std::uint32_t m_targetUid = 0;
    std::uint32_t m_targetGid = 0;
    bool m_committed = false;
    int m_error = 0;
    const char* m_failedStep = "";
    bool m_failedOnFolder = false;
};

// Replaces or creates a whole file through an AtomicFileWriter; 0 or the errno of the failure.
int WriteFileAtomically(const std::string& path, std::string_view content,
                        AtomicFileWriter::Target target = AtomicFileWriter::Target::kReplaceOrCreate);
