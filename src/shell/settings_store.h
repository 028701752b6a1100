#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The per-user settings tree: keys addressed by backslash-separated key paths below one root,
// each holding named values that are either a 32-bit number or a text. Key and value names
// compare without regard to ASCII case and keep the spelling they were created with.
//
// The tree lives in one readable text file. Every write is applied at once: under an exclusive
// lock on a companion lock file the file is read again (so that another process's writes are
// kept), changed, written to a temporary file and renamed over the old one. A file that cannot
// be parsed is renamed aside, never overwritten, and reads as an empty tree.
//
// Main thread only (plug-ins call it from the main thread too).
class SettingsStore {
public:
    explicit SettingsStore(std::string filePath);

    // $XDG_CONFIG_HOME/KAVORINE/VistrelViewer/5.0/settings.reg, ~/.config when unset.
    static std::string DefaultFilePath();

    const std::string& FilePath() const { return m_filePath; }

    // Reads: 0 with the default when the value's key does not exist; otherwise 1, with the
    // default when the value is missing or of the other kind.
    int ReadDword(uint32_t& out, std::string_view keyPath, uint32_t defaultValue);
    int ReadString(std::string& out, std::string_view keyPath, std::string_view defaultText);

    // Writes create the key (every level) if needed; 1 on success, 0 when the key path is not
    // usable or the file could not be saved.
    int WriteDword(std::string_view keyPath, uint32_t value);
    int WriteString(std::string_view keyPath, std::string_view text);

    // Deletes the key named after the last backslash, with everything below it, from the key
    // named before it (which is created if needed). 1 when a key was deleted.
    int DeleteSubKey(std::string_view keyPath);

    // Runs several writes under one lock and saves once at the end; each write inside still
    // sees the others.
    void Batch(const std::function<void()>& writes);

    // Where the last damaged file was moved to (empty when none was found); for tests.
    const std::string& LastSetAsidePath() const { return m_lastSetAside; }

private:
    struct Value {
        std::string name;
        bool isNumber = false;
        uint32_t number = 0;
        std::string text;
    };
    struct Key {
        std::string path; // "" for the root
        std::vector<Value> values;
    };
    struct FileStamp {
        bool exists = false;
        int64_t mtimeNs = 0;
        int64_t size = 0;
        uint64_t inode = 0;
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };

    void RefreshFromDisk(bool holdingLock);
    bool Parse(const std::string& content);
    std::string Serialise() const;
    bool Save();
    Key* FindKey(std::string_view path);
    Key& CreateKey(std::string_view path);
    Value* FindValue(std::string_view keyPath, Key** keyOut);
    int Write(std::string_view keyPath, const Value& value);
    bool WithWriteLock(const std::function<bool()>& change);
    FileStamp StampOfFile() const;

    std::string m_filePath;
    std::vector<Key> m_keys;
    FileStamp m_loadedStamp;
    bool m_loaded = false;
    int m_batchDepth = 0;
    bool m_batchDirty = false;
    std::string m_lastSetAside;
};

// The process-wide store and the five access operations of the program and its plug-ins.
SettingsStore& Settings();
void UseSettingsFile(std::string filePath); // before first use; tests and tools only

int RegistryReadDword(uint32_t& out, std::string_view keyPath, uint32_t defaultValue);
int RegistryWriteDword(std::string_view keyPath, uint32_t value);
int RegistryReadString(std::string& out, std::string_view keyPath, std::string_view defaultText);
int RegistryWriteString(std::string_view keyPath, std::string_view text);
int RegistryDeleteSubKey(std::string_view keyPath);
