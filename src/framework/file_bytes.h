#pragma once

#include <string>

// Reads a whole regular file into memory. False when it cannot be opened or read, or is not a
// regular file (a folder, a device).
bool ReadFileBytes(const std::string& path, std::string& out);
