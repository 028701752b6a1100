#pragma once

#include <string>

// Renames that never replace an existing entry, for every operation that moves a user's files.
// Both return 0 or an errno value (EEXIST when the target is taken). Any thread.

// renameat2(RENAME_NOREPLACE); where the file system cannot (EINVAL, ENOSYS), RenameByLink,
// and for a folder, which cannot be linked, a rename after checking that the target is free.
int RenameNoReplace(const std::string& from, const std::string& to);

// link() then unlink(): the new name is created only when it is free, so nothing is replaced
// either. A file whose old name cannot be removed keeps it (the new link is removed again).
// Folders cannot be linked (EPERM).
int RenameByLink(const std::string& from, const std::string& to);
