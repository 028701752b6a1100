#pragma once

#include <string>
#include <vector>

// One library the program is built with, as the About window lists it.
struct LibraryCredit {
    std::string name;
    std::string version; // empty when the library does not tell it at run time
    std::string licence;
};

struct AboutText {
    std::string title;
    std::string programLine; // "VistrelViewer 5.0.0"
    std::string folderLine;
    std::vector<LibraryCredit> libraries;

    // Everything above as one plain text, one line each.
    std::string PlainText() const;
};

// The program folder is the one holding the System folder; trailing slashes are ignored.
std::string ProgramFolderOf(const std::string& systemFolder);

AboutText AboutContents(const std::string& version, const std::string& programFolder,
                        const std::string& qtVersion);
