#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "framework/string_table.h"

// The English language file must hold every key the program looks up, with the placeholders
// that the callers pass.

namespace {

const std::string kSourceDir = VISTREL_SOURCE_DIR;

StringTable LanguageFile()
{
    StringTable table;
    table.Parse(ReadTextFile(kSourceDir + "/resources/strings/ZORStr.frs"));
    return table;
}

// Names that look like keys but name resources or copy-data messages, not texts.
bool IsNotATextKey(const std::string& name)
{
    static const std::set<std::string> kNames = {
        "ZORX_MENU",
        "ZORX_ACCEL",
        "ZORX_CONTEXT_MENU_0",
        "ZORX_CONTEXT_MENU_1",
        "ZORX_CONTEXT_MENU_F",
        "ZORX_CONTEXT_MENU_PM",
        "ZORX_Startup",
        "ZORX_AutoCaptureStartup",
        "ZORX_UpdateMenu",
        "ZORX_DeleteMenu",
        "ZORX_SoftwareUpdate",
        "ZORX_SelectAll",
        "ZORX_CopyToClipboard",
    };
    return kNames.count(name) > 0 || name.ends_with("_");
}

std::string Conversions(const std::string& text)
{
    static const std::regex kConversion("%[-+ #0]*[0-9]*(\\.[0-9]+)?(hh|h|ll|l|z)?[diouxXcsfgeEp%]");
    std::string found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), kConversion); it != std::sregex_iterator();
         ++it)
        found += it->str();
    return found;
}

} // namespace

TEST(LanguageFile, HoldsEveryKeyTheCodeLooksUp)
{
    const StringTable table = LanguageFile();
    ASSERT_GT(table.Size(), 100u);
    const std::regex kKeyLiteral("\"((ZORX_|COMMON_|EX_FOLDER)[A-Za-z0-9_:?]*|DllLoadError)\"");
    int keysSeen = 0;
    for (const char* folder : {"/src", "/plugins", "/modules"}) {
        if (!std::filesystem::exists(kSourceDir + folder))
            continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(kSourceDir + folder)) {
            const std::string extension = entry.path().extension().string();
            if (extension != ".cpp" && extension != ".h")
                continue;
            const std::string code = ReadTextFile(entry.path().string());
            for (auto it = std::sregex_iterator(code.begin(), code.end(), kKeyLiteral);
                 it != std::sregex_iterator(); ++it) {
                const std::string key = (*it)[1];
                if (IsNotATextKey(key))
                    continue;
                ++keysSeen;
                EXPECT_TRUE(table.Contains(key)) << key << " used in " << entry.path();
            }
        }
    }
    EXPECT_GT(keysSeen, 0);
}

TEST(LanguageFile, EveryValueIsNonEmptyText)
{
    const std::string content = ReadTextFile(kSourceDir + "/resources/strings/ZORStr.frs");
    EXPECT_FALSE(content.starts_with("\xEF\xBB\xBF"));
    const StringTable table = LanguageFile();
    for (const char* key : {"COMMON_Error", "COMMON_Warning", "ZORX_FolderNotFound", "ZORX_TypeFolder",
                            "ZORX_COLOR_Patent", "DllLoadError"})
        EXPECT_FALSE(table.Get(key).empty()) << key;
}

TEST(LanguageFile, PlaceholdersMatchWhatTheCallersPass)
{
    const StringTable table = LanguageFile();
    const std::pair<const char*, const char*> kExpected[] = {
        {"ZORX_NotFound", "%s"},
        {"ZORX_FileIsLockedOK?", "%s"},
        {"ZORX_AllItems:NKB", "%d%llu"},
        {"ZORX_AllItems:N", "%d"},
        {"ZORX_Images:NKB", "%d%llu"},
        {"ZORX_Images:N", "%d"},
        {"ZORX_Movies:NKB", "%d%llu"},
        {"ZORX_Movies:N", "%d"},
        {"ZORX_Sounds:NKB", "%d%llu"},
        {"ZORX_Sounds:N", "%d"},
        {"ZORX_SubFolders:N", "%d"},
        {"ZORX_SelectedItemsNKB", "%d%llu"},
        {"ZORX_SelectedItemsN", "%d"},
        {"ZORX_StatusNumFiles", "%d"},
        {"ZORX_StatusNumFilesEtc", "%d%d%d%d%d"},
        {"ZORX_PP_Year", "%d"},
        {"ZORX_PP_Month", "%d"},
        {"ZORX_COLOR_Patent", ""},
        {"ZORX_FolderNotFound", ""},
    };
    for (const auto& [key, conversions] : kExpected)
        EXPECT_EQ(Conversions(table.Get(key)), conversions) << key;
}
