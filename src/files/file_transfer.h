#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Copies or moves entries into a folder, a unit at a time: a picture with its sound memo and RAW
// companion, or one folder with everything in it. Nothing is ever replaced without an answer,
// and nothing is left half-written: every file is written to a hidden temporary file in the
// destination folder, flushed, given the source's permissions and modification time, and only
// then renamed into place. A unit is checked as a whole before any of it moves, so a memo never
// travels without its picture nor stays behind.

enum class TransferMode { Copy, Move };

// One unit as the listing shows it: the entry and the companions attached to it.
struct TransferUnit {
    std::string path;                    // the entry's full path (a file, a folder or a link)
    std::vector<std::string> companions; // full paths of its memo and RAW companion
};

struct TransferMember {
    std::string source;
    std::string destination;

    friend bool operator==(const TransferMember&, const TransferMember&) = default;
};

// A unit some of whose destinations are taken.
struct TransferConflict {
    std::string entry;                   // the unit's entry path
    std::vector<TransferMember> members; // the whole unit, entry first
    std::vector<TransferMember> taken;   // the members whose destination exists
};

// Replace and Skip hold for this unit, ReplaceAll and SkipAll for it and every later one;
// Cancel ends the run before this unit.
enum class TransferAnswer { Replace, Skip, ReplaceAll, SkipAll, Cancel };

// What the transfer asks of its caller. Both are called on the thread that runs TransferFiles.
class TransferListener {
public:
    virtual ~TransferListener() = default;
    // Asked once per conflicting unit, unless an earlier All answer holds.
    virtual TransferAnswer Conflict(const TransferConflict& conflict) = 0;
    // Called for every file and every few megabytes of a large one; false cancels. A file being
    // copied is then discarded and the unit is left as it was.
    virtual bool Progress(std::uint64_t doneBytes, std::uint64_t totalBytes, const std::string& currentPath) = 0;
};

enum class TransferOutcome {
    Done,    // every member is at its destination
    Skipped, // nothing of it moved: the user skipped it, or its destination is the entry itself
    Failed,  // `message` says why; see `members` for what was done nonetheless
    NotDone, // the run was cancelled before or during this unit; nothing of it moved
};

struct UnitTransferResult {
    TransferOutcome outcome = TransferOutcome::NotDone;
    // Empty for Done; otherwise the reason in words with the path and the system's text.
    std::string message;
    // The members that reached their destination (for a numbered copy, the " (2)" names).
    std::vector<TransferMember> members;
};

struct TransferResult {
    std::vector<UnitTransferResult> units; // one per unit given, in order
    // Sources that are gone now (moved away), companions included.
    std::vector<std::string> vanished;
    // Destinations that are new or were replaced, companions included (top-level paths).
    std::vector<std::string> created;
    bool cancelled = false;

    bool Succeeded() const;
};

// Copies or moves `units` into the existing folder `destinationFolder`, in order. A destination
// that is the source itself (same path, or same device and inode) makes a copy named
// "DSCF0001 (2).JPG", its companions "DSCF0001 (2).WAV", while a move skips it. A folder is
// never copied or moved into itself or its own subtree. A move within one file system renames;
// across file systems it copies, compares what was written with the source, and removes the
// source only then. Symbolic links are copied as links, never followed. Blocks until done: the
// caller runs it on a worker thread and routes the listener's calls to the user.
TransferResult TransferFiles(const std::vector<TransferUnit>& units, const std::string& destinationFolder,
                             TransferMode mode, TransferListener& listener);

// "DSCF0001.JPG" with 2 gives "DSCF0001 (2).JPG"; a folder keeps its whole name ("2007.05 (2)").
std::string NumberedName(std::string_view name, int number, bool isFolder);
