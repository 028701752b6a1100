#include "shell/settings_store.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/file_bytes.h"
#include "framework/file_descriptor.h"

namespace {

constexpr std::string_view kHeader = "VistrelViewer settings 1";

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

struct SplitPath {
    std::string_view subKey;
    std::string_view valueName;
};

// The part before the last backslash is the sub-key below the root (empty when there is no
// backslash or the only one leads the text); the part after it is the value name.
SplitPath SplitKeyPath(std::string_view keyPath)
{
    const size_t slash = keyPath.rfind('\\');
    if (slash == std::string_view::npos)
        return {{}, keyPath};
    return {slash == 0 ? std::string_view{} : keyPath.substr(0, slash), keyPath.substr(slash + 1)};
}

bool HasControlCharacters(std::string_view text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    }
    return false;
}

// A usable sub-key path has no empty levels and no control characters (they could not be
// written back as one line).
bool IsUsableSubKey(std::string_view subKey)
{
    if (HasControlCharacters(subKey))
        return false;
    if (subKey.empty())
        return true;
    if (subKey.front() == '\\' || subKey.back() == '\\')
        return false;
    return subKey.find("\\\\") == std::string_view::npos;
}

std::string Quote(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02x", byte);
                out += hex;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Reads a quoted text starting at line[pos]; on success pos is just past the closing quote.
bool Unquote(std::string_view line, size_t& pos, std::string& out)
{
    if (pos >= line.size() || line[pos] != '"')
        return false;
    ++pos;
    out.clear();
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == '"')
            return true;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= line.size())
            return false;
        const char escaped = line[pos++];
        switch (escaped) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
            if (pos + 2 > line.size() || HexDigit(line[pos]) < 0 || HexDigit(line[pos + 1]) < 0)
                return false;
            out += static_cast<char>(HexDigit(line[pos]) * 16 + HexDigit(line[pos + 1]));
            pos += 2;
            break;
        }
        default: return false;
        }
    }
    return false;
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

std::string TimestampForFileName()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

} // namespace

SettingsStore::SettingsStore(std::string filePath)
    : m_filePath(std::move(filePath))
{
}

std::string SettingsStore::DefaultFilePath()
{
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && home[0])
        base = std::string(home) + "/.config";
    else
        base = "/tmp";
    return base + "/KAVORINE/VistrelViewer/5.0/settings.reg";
}

SettingsStore::FileStamp SettingsStore::StampOfFile() const
{
    struct stat info {};
    if (::stat(m_filePath.c_str(), &info) != 0)
        return {};
    return {true, info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec, info.st_size,
            static_cast<uint64_t>(info.st_ino)};
}

void SettingsStore::RefreshFromDisk(bool holdingLock)
{
    const FileStamp stamp = StampOfFile();
    if (m_loaded && stamp == m_loadedStamp)
        return;
    m_keys.clear();
    m_loaded = true;
    m_loadedStamp = stamp;
    if (!stamp.exists)
        return;
    std::string content;
    if (!ReadFileBytes(m_filePath, content))
        return; // unreadable: reads give defaults; a later write replaces nothing it cannot see
    if (Parse(content))
        return;
    m_keys.clear();
    if (!holdingLock) {
        // Setting the file aside must not race with another process writing a good one.
        m_loaded = false;
        WithWriteLock([] { return false; });
        return;
    }
    m_lastSetAside = m_filePath + ".damaged-" + TimestampForFileName();
    if (::rename(m_filePath.c_str(), m_lastSetAside.c_str()) != 0)
        m_lastSetAside.clear();
    m_loadedStamp = StampOfFile();
}

bool SettingsStore::Parse(const std::string& content)
{
    std::string_view rest = content;
    bool sawHeader = false;
    Key* current = nullptr;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!sawHeader) {
            if (line != kHeader)
                return false;
            sawHeader = true;
            continue;
        }
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 2)
                return false;
            const std::string_view path = line.substr(1, line.size() - 2);
            if (!IsUsableSubKey(path))
                return false;
            current = &CreateKey(path);
            continue;
        }
        if (!current)
            return false;
        Value value;
        size_t pos = 0;
        if (!Unquote(line, pos, value.name) || pos >= line.size() || line[pos] != '=')
            return false;
        ++pos;
        const std::string_view data = line.substr(pos);
        if (data.starts_with("dword:")) {
            const std::string_view digits = data.substr(6);
            if (digits.size() != 8)
                return false;
            uint32_t number = 0;
            for (char c : digits) {
                const int digit = HexDigit(c);
                if (digit < 0)
                    return false;
                number = number * 16 + static_cast<uint32_t>(digit);
            }
            value.isNumber = true;
            value.number = number;
        } else {
            if (!Unquote(line, pos, value.text) || pos != line.size())
                return false;
        }
        Value* existing = nullptr;
        for (Value& v : current->values) {
            if (SameName(v.name, value.name))
                existing = &v;
        }
        if (existing)
            *existing = std::move(value);
        else
            current->values.push_back(std::move(value));
    }
    return sawHeader || content.empty();
}

std::string SettingsStore::Serialise() const
{
    std::string out(kHeader);
    out += "\n; Written by VistrelViewer. Numbers are dword:hex, texts are quoted.\n";
    for (const Key& key : m_keys) {
        out += "\n[";
        out += key.path;
        out += "]\n";
        for (const Value& value : key.values) {
            out += Quote(value.name);
            out += '=';
            if (value.isNumber) {
                char hex[16];
                std::snprintf(hex, sizeof hex, "dword:%08x", value.number);
                out += hex;
            } else {
                out += Quote(value.text);
            }
            out += '\n';
        }
    }
    return out;
}

bool SettingsStore::Save()
{
    const std::filesystem::path target(m_filePath);
    const std::string temporary = m_filePath + ".tmp-" + std::to_string(::getpid());
    {
        FileDescriptor file{::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)};
        if (file.Get() < 0)
            return false;
        if (!WriteAll(file.Get(), Serialise()) || ::fsync(file.Get()) != 0) {
            ::unlink(temporary.c_str());
            return false;
        }
    }
    if (::rename(temporary.c_str(), m_filePath.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    FileDescriptor folder{::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folder.Get() >= 0)
        ::fsync(folder.Get());
    m_loadedStamp = StampOfFile();
    return true;
}

bool SettingsStore::WithWriteLock(const std::function<bool()>& change)
{
    if (m_batchDepth > 0) {
        const bool changed = change();
        m_batchDirty = m_batchDirty || changed;
        return true;
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(m_filePath).parent_path(), error);
    const std::string lockPath = m_filePath + ".lock";
    FileDescriptor lock{::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)};
    if (lock.Get() < 0)
        return false;
    while (::flock(lock.Get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            return false;
    }
    RefreshFromDisk(true);
    const bool ok = !change() || Save();
    ::flock(lock.Get(), LOCK_UN);
    return ok;
}

void SettingsStore::Batch(const std::function<void()>& writes)
{
    if (m_batchDepth > 0) {
        writes();
        return;
    }
    WithWriteLock([&] {
        m_batchDepth = 1;
        m_batchDirty = false;
        writes();
        m_batchDepth = 0;
        return m_batchDirty;
    });
}

SettingsStore::Key* SettingsStore::FindKey(std::string_view path)
{
    for (Key& key : m_keys) {
        if (SameName(key.path, path))
            return &key;
    }
    return nullptr;
}

SettingsStore::Key& SettingsStore::CreateKey(std::string_view path)
{
    // Every level exists once a key exists, the root included.
    if (!path.empty()) {
        const size_t slash = path.rfind('\\');
        CreateKey(slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash));
    } else if (Key* root = FindKey(path)) {
        return *root;
    }
    if (Key* key = FindKey(path))
        return *key;
    m_keys.push_back(Key{std::string(path), {}});
    return m_keys.back();
}

SettingsStore::Value* SettingsStore::FindValue(std::string_view keyPath, Key** keyOut)
{
    if (m_batchDepth == 0)
        RefreshFromDisk(false);
    const SplitPath split = SplitKeyPath(keyPath);
    Key* key = FindKey(split.subKey);
    *keyOut = key;
    if (!key)
        return nullptr;
    for (Value& value : key->values) {
        if (SameName(value.name, split.valueName))
            return &value;
    }
    return nullptr;
}

int SettingsStore::ReadDword(uint32_t& out, std::string_view keyPath, uint32_t defaultValue)
{
    Key* key = nullptr;
    const Value* value = FindValue(keyPath, &key);
    out = (value && value->isNumber) ? value->number : defaultValue;
    return key ? 1 : 0;
}

int SettingsStore::ReadString(std::string& out, std::string_view keyPath, std::string_view defaultText)
{
    Key* key = nullptr;
    const Value* value = FindValue(keyPath, &key);
    out = (value && !value->isNumber) ? value->text : std::string(defaultText);
    return key ? 1 : 0;
}

int SettingsStore::Write(std::string_view keyPath, const Value& value)
{
    const SplitPath split = SplitKeyPath(keyPath);
    if (!IsUsableSubKey(split.subKey) || HasControlCharacters(split.valueName))
        return 0;
    const bool saved = WithWriteLock([&] {
        Key& key = CreateKey(split.subKey);
        for (Value& existing : key.values) {
            if (SameName(existing.name, split.valueName)) {
                const std::string name = existing.name;
                existing = value;
                existing.name = name;
                return true;
            }
        }
        key.values.push_back(value);
        key.values.back().name = std::string(split.valueName);
        return true;
    });
    return saved ? 1 : 0;
}

int SettingsStore::WriteDword(std::string_view keyPath, uint32_t number)
{
    Value value;
    value.isNumber = true;
    value.number = number;
    return Write(keyPath, value);
}

int SettingsStore::WriteString(std::string_view keyPath, std::string_view text)
{
    Value value;
    value.text = std::string(text.substr(0, text.find('\0')));
    return Write(keyPath, value);
}

int SettingsStore::DeleteSubKey(std::string_view keyPath)
{
    const SplitPath split = SplitKeyPath(keyPath);
    if (!IsUsableSubKey(split.subKey) || split.valueName.empty() || !IsUsableSubKey(split.valueName))
        return 0;
    const std::string victim = split.subKey.empty()
        ? std::string(split.valueName)
        : std::string(split.subKey) + "\\" + std::string(split.valueName);
    bool deleted = false;
    const bool saved = WithWriteLock([&] {
        CreateKey(split.subKey);
        const size_t before = m_keys.size();
        std::erase_if(m_keys, [&](const Key& key) {
            return SameName(key.path, victim)
                || (key.path.size() > victim.size() && key.path[victim.size()] == '\\'
                    && SameName(std::string_view(key.path).substr(0, victim.size()), victim));
        });
        deleted = m_keys.size() != before;
        return true;
    });
    return saved && deleted ? 1 : 0;
}

namespace {

std::unique_ptr<SettingsStore>& ProcessStore()
{
    static std::unique_ptr<SettingsStore> store;
    return store;
}

} // namespace

SettingsStore& Settings()
{
    auto& store = ProcessStore();
    if (!store)
        store = std::make_unique<SettingsStore>(SettingsStore::DefaultFilePath());
    return *store;
}

void UseSettingsFile(std::string filePath)
{
    ProcessStore() = std::make_unique<SettingsStore>(std::move(filePath));
}

int RegistryReadDword(uint32_t& out, std::string_view keyPath, uint32_t defaultValue)
{
    return Settings().ReadDword(out, keyPath, defaultValue);
}

int RegistryWriteDword(std::string_view keyPath, uint32_t value)
{
    return Settings().WriteDword(keyPath, value);
}

int RegistryReadString(std::string& out, std::string_view keyPath, std::string_view defaultText)
{
    return Settings().ReadString(out, keyPath, defaultText);
}

int RegistryWriteString(std::string_view keyPath, std::string_view text)
{
    return Settings().WriteString(keyPath, text);
}

int RegistryDeleteSubKey(std::string_view keyPath)
{
    return Settings().DeleteSubKey(keyPath);
}
