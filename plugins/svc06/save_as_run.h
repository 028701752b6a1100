#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "conflict_answers.h"
#include "save_as_format.h"

// One run of SaveAs over the chosen files, through the host's ReadImage and WriteImage
// (ServiceClient). Main thread only, like the host functions.
//
// Pictures only: anything else is skipped. A copy never replaces a file without the user's
// answer (asked through the hooks, with "all" answers kept for the run), never replaces its own
// source, and is never seen half-written: WriteImage writes through a temporary file, and a new
// name is taken only if it is still free when the copy is complete.

struct SaveAsRequest {
    std::string folder;
    SaveFormat format = SaveFormat::kJpeg;
    JpegQuality quality = JpegQuality::kFine;
};

struct SaveAsOutcome {
    std::vector<std::string> saved;    // full paths of the files written
    std::vector<std::string> failed;   // "name: reason"
    std::vector<std::string> skipped;  // "name: reason"
    std::vector<std::string> onItself; // names of the pictures that would have replaced themselves
    std::size_t notReached = 0;        // files left when the user cancelled
    bool cancelled = false;
};

struct SaveAsHooks {
    // Before each file (index into the list): false when the user cancelled, which stops the
    // run before that file. May be empty.
    std::function<bool(std::size_t index, const std::string& path)> proceed;
    // The user's answer when the copy's full path names an existing file.
    std::function<ConflictAnswer(const std::string& target)> askReplace;
};

SaveAsOutcome SaveAsFiles(const std::vector<std::string>& paths, const SaveAsRequest& request,
                          const SaveAsHooks& hooks);

// The user's message after a run.
std::string SaveAsReport(const SaveAsOutcome& outcome, const std::string& folder);
bool SaveAsRanCleanly(const SaveAsOutcome& outcome);

// Tells the host to list the destination again and refresh the new files, when the destination
// is the folder it shows.
void ReportChangesToHost(const SaveAsOutcome& outcome, const std::string& folder);
