#pragma once

#include <filesystem>

// Writes the demo card (every row of the catalog, the sound memo, the RAW companion and the
// selection folder) into `folder`, creating it. Each file's modification time is the shot's
// time. False, after a message on stderr, when anything cannot be written.
bool WriteDemoCard(const std::filesystem::path& folder);
