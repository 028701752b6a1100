#include "library/dcf_name.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFolderMask = "###?????";
constexpr std::string_view kFileMask = "????####.?$$";
constexpr std::string_view kRootFolderName = "DCIM";
constexpr std::string_view kShortFolderMask = "IM##????";
constexpr std::array<std::string_view, 3> kBasicExtensions = {"JPG", "TIF", "RAF"};

constexpr int kFirstDcfFolderNumber = 100;
constexpr int kFolderFactor = 10000;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsNameCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsDigit(c) || c == '_';
}

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    }
    return true;
}

// The number found by the mask, or nothing when the name does not match.
std::optional<int> Match(std::string_view mask, std::string_view name)
{
    int number = 0;
    std::size_t at = 0;
    for (const char m : mask) {
        const bool nameEnded = at >= name.size();
        if (m == '$' && nameEnded)
            return number;
        if (nameEnded)
            return std::nullopt;
        const char c = name[at++];
        if (m == '#') {
            if (!IsDigit(c))
                return std::nullopt;
            number = number * 10 + (c - '0');
        } else if (m == '?' || m == '$') {
            if (!IsNameCharacter(c))
                return std::nullopt;
        } else if (c != m && !(c >= 'a' && c <= 'z' && UpperAscii(c) == m)) {
            return std::nullopt;
        }
    }
    if (at != name.size())
        return std::nullopt;
    return number;
}

// Absolute and lexically normal, without a trailing "/" (except for the root itself).
std::string NormalisedPath(const std::string& path)
{
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(path), error);
    if (error)
        absolute = fs::path(path);
    std::string text = absolute.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

std::string_view LastComponent(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The folder that holds a normalised path; empty for the root itself.
std::string ParentOf(const std::string& path)
{
    if (path == "/")
        return {};
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool IsFolder(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

bool HasBasicExtension(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    for (std::string_view extension : kBasicExtensions) {
        if (EqualsIgnoringCase(name.substr(dot + 1), extension))
            return true;
    }
    return false;
}

// How many entries of the folder (folders or files, as asked) match the mask with the number.
template <typename Accept>
int CountMatches(const std::string& folder, std::string_view mask, int number, Accept accept)
{
    int count = 0;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (Match(mask, name) != number)
            continue;
        std::error_code typeError;
        if (accept(name, it->is_directory(typeError)))
            ++count;
    }
    return count;
}

bool IsOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// Undoes the octal escapes (\040 for a space) of a mountinfo path field.
std::string UnescapedMountPath(std::string_view field)
{
    std::string path;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1])
            && IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
            path += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8
                                      + (field[i + 3] - '0'));
            i += 3;
        } else {
            path += field[i];
        }
    }
    return path;
}

// The fifth space-separated field of a mountinfo line: the mount point.
std::optional<std::string> MountPointField(const std::string& line)
{
    std::istringstream fields(line);
    std::string field;
    for (int i = 0; i < 5; ++i) {
        if (!(fields >> field))
            return std::nullopt;
    }
    return UnescapedMountPath(field);
}

int FileNumberOfName(const std::string& file)
{
    return DcfMatch(kFileMask, LastComponent(file));
}

} // namespace

bool IsMountPoint(const std::string& folder)
{
    std::error_code error;
    const fs::path resolved = fs::canonical(folder, error);
    if (error)
        return false;
    const std::string target = resolved.string();
    if (target == "/")
        return true;
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mounts, line)) {
        if (MountPointField(line) == target)
            return true;
    }
    return false;
}

int DcfMatch(std::string_view mask, std::string_view name)
{
    return Match(mask, name).value_or(0);
}

int DcfFolderNumber(const std::string& folder, const MountPointTest& isMountPoint)
{
    const std::string path = NormalisedPath(folder);
    const int number = DcfMatch(kFolderMask, LastComponent(path));
    if (number == 0)
        return 0;
    const std::string root = ParentOf(path);
    if (root.empty() || !EqualsIgnoringCase(LastComponent(root), kRootFolderName))
        return 0;
    const std::string drive = ParentOf(root);
    if (drive.empty() || !isMountPoint(drive) || !IsFolder(path))
        return 0;
    const int sameNumber
        = CountMatches(root, kFolderMask, number, [](const std::string&, bool isFolder) { return isFolder; });
    return sameNumber < 2 ? number : 0;
}

int DcfFileNumber(const std::string& file)
{
    const std::string path = NormalisedPath(file);
    const int number = FileNumberOfName(path);
    if (number == 0)
        return 0;
    const std::string folder = ParentOf(path);
    if (folder.empty() || !IsFolder(folder))
        return 0;
    // A picture and its RAW twin (or TIFF twin) share the number, which then names neither.
    const int sameNumber
        = CountMatches(folder, kFileMask, number, [](const std::string& name, bool isFolder) {
              return !isFolder && HasBasicExtension(name);
          });
    return sameNumber < 2 ? number : 0;
}

int DcfNumber(const std::string& file, const MountPointTest& isMountPoint)
{
    const std::string path = NormalisedPath(file);
    const std::string folder = ParentOf(path);
    if (folder.empty())
        return 0;
    // The folder's rule first: it rejects ordinary folders by their name alone.
    const int folderNumber = DcfFolderNumber(folder, isMountPoint);
    if (folderNumber < kFirstDcfFolderNumber)
        return 0;
    const int fileNumber = DcfFileNumber(path);
    if (fileNumber == 0)
        return 0;
    return folderNumber * kFolderFactor + fileNumber;
}

int ShortDcfNumber(const std::string& file, const MountPointTest& isMountPoint)
{
    const std::string path = NormalisedPath(file);
    const int fileNumber = FileNumberOfName(path);
    if (fileNumber == 0)
        return 0;
    const std::string folder = ParentOf(path);
    const int folderNumber = DcfMatch(kShortFolderMask, LastComponent(folder));
    if (folderNumber == 0)
        return 0;
    // Such folders were written either at the card's root or inside a folder there.
    const std::string parent = ParentOf(folder);
    if (parent.empty())
        return 0;
    const std::string grandparent = ParentOf(parent);
    if (!isMountPoint(parent) && (grandparent.empty() || !isMountPoint(grandparent)))
        return 0;
    return folderNumber * kFolderFactor + fileNumber;
}

std::string DcfNumberText(const std::string& file, const MountPointTest& isMountPoint)
{
    char text[32];
    if (const int number = DcfNumber(file, isMountPoint)) {
        std::snprintf(text, sizeof text, "%03d-%04d", number / kFolderFactor, number % kFolderFactor);
        return text;
    }
    if (const int number = ShortDcfNumber(file, isMountPoint)) {
        std::snprintf(text, sizeof text, "%02d-%04d", number / kFolderFactor, number % kFolderFactor);
        return text;
    }
    return {};
}
