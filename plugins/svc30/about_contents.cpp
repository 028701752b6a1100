#include "about_contents.h"

#include <array>
#include <string_view>

namespace {

struct CreditRow {
    std::string_view name;
    std::string_view licence;
};

// The Qt row gets its version at run time; the others are linked statically into the engine.
constexpr std::array kCredits{
    CreditRow{"Qt 6", "GNU LGPL version 3"},
    CreditRow{"libjpeg-turbo", "IJG licence and modified BSD licence"},
    CreditRow{"libtiff", "libtiff licence (BSD-like)"},
    CreditRow{"FFmpeg", "GNU LGPL version 2.1 or later"},
};

} // namespace

std::string AboutText::PlainText() const
{
    std::string text = programLine + "\n" + folderLine + "\n\nLibraries:\n";
    for (const LibraryCredit& library : libraries) {
        text += library.name;
        if (!library.version.empty())
            text += " " + library.version;
        text += " - " + library.licence + "\n";
    }
    return text;
}

std::string ProgramFolderOf(const std::string& systemFolder)
{
    std::string folder = systemFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string::npos)
        return {};
    if (slash == 0)
        return "/";
    return folder.substr(0, slash);
}

AboutText AboutContents(const std::string& version, const std::string& programFolder,
                        const std::string& qtVersion)
{
    AboutText about;
    about.title = "About VistrelViewer";
    about.programLine = "VistrelViewer " + version;
    about.folderLine = "Program folder: " + (programFolder.empty() ? std::string("(unknown)") : programFolder);
    for (const CreditRow& row : kCredits) {
        LibraryCredit credit{std::string(row.name), {}, std::string(row.licence)};
        if (row.name == "Qt 6")
            credit.version = qtVersion;
        about.libraries.push_back(std::move(credit));
    }
    return about;
}
