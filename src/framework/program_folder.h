#pragma once

#include <string>
#include <string_view>

// The program folder is the folder of the executable. It holds System/, Resource/Services/ and
// Temporary/, and every program-relative path ("System", "System/ZORStr.frs") is resolved
// against it, so the whole folder can be moved.

// The folder part of an executable path: cut at the last "/", the root keeping its "/".
std::string FolderOfExecutable(std::string_view executablePath);

// Reads /proc/self/exe once; falls back to the given argv[0] when that link cannot be read.
void InitProgramFolder(std::string_view argv0);
void SetProgramFolder(std::string folder); // for tools and tests that lay out their own folder
const std::string& ProgramFolder();

// Joins with "/": either side empty gives the other; a first part that ends with "/" is
// concatenated as it is.
std::string JoinPath(std::string_view first, std::string_view second);

// An absolute path ("/...") is returned unchanged; any other is joined to the program folder.
std::string ResolveProgramPath(std::string_view path);
