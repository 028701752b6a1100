#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <vistrel/service.h>

// The host seen from a service module: typed C++ calls over the SDK's host functions, with the
// buffers freed on every path. Connect it in SetService; without that it finds the host through
// the executable's GetServiceProcAddress export. Main thread only, like the host functions.
class ServiceClient {
public:
    struct FileLists {
        std::vector<std::string> paths;
        std::vector<std::string> memoPaths;
        std::vector<std::string> companionPaths;
    };

    // The module's one connection to its host.
    static ServiceClient& Instance();

    void Connect(VistrelGetProcAddressFn getProcAddress) { m_getProcAddress = getProcAddress; }
    bool Connected();

    // The host function of that name cast to its typedef; null when the host lacks it.
    template <typename Function>
    Function Find(const char* name)
    {
        return reinterpret_cast<Function>(FindProc(name));
    }

    // The language text of a key (the key itself when the host has none).
    std::string Text(std::string_view key);
    // Replaces language keys in the window's texts by their texts.
    void Localise(void* window);
    int64_t Value(std::string_view name);
    bool Flag(const char* name);
    std::string TextValue(const char* name);

    FileLists SelectedFiles();
    FileLists DisplayedFiles();
    FileLists AllFiles();

    // Kind 0 unknown, 1 picture, 2 movie, 3 sound, 4 RAW companion; typeName gets "JPEG" etc.
    int FileType(const std::string& path, std::string* typeName = nullptr);
    bool ReadImage(const std::string& path, HostImage& image);
    int32_t WriteImage(const std::string& path, const HostImage& image, std::string_view format,
                       const HostTagList* tags, int32_t number);
    bool ReadTags(const std::string& path, HostTagList& tags);

    uint32_t ReadDword(std::string_view keyPath, uint32_t defaultValue);
    void WriteDword(std::string_view keyPath, uint32_t value);
    std::string ReadString(std::string_view keyPath, std::string_view defaultText);
    void WriteString(std::string_view keyPath, std::string_view text);

    void SetUpdateFolder(const std::string& path);
    void AddUpdateFile(const std::string& path);
    void SetDialogWindow(void* dialog);

    // The Qt resource root of the language module (":/zorres/"), empty when it is absent.
    std::string ResourceRoot();

private:
    VistrelHostProc FindProc(const char* name);
    FileLists Files(const char* name);

    VistrelGetProcAddressFn m_getProcAddress = nullptr;
};

// A text buffer for a host call (which consumes it).
HostBuffer MakeHostText(std::string_view text);
// The text of a buffer that the host filled, up to its first NUL and never past its size.
std::string HostText(const HostBuffer& buffer);
