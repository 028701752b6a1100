#include "service_client.h"

#include <dlfcn.h>

#include <cstring>

ServiceClient& ServiceClient::Instance()
{
    static ServiceClient client;
    return client;
}

HostBuffer MakeHostText(std::string_view text)
{
    HostBuffer buffer{};
    const size_t size = text.size() + 1;
    unsigned char* bytes = buffer.data.bytes;
    if (size > VISTREL_HOST_BUFFER_INLINE) {
        void* block = std::malloc(size);
        if (!block)
            return buffer;
        buffer.data.pointer = block;
        bytes = static_cast<unsigned char*>(block);
    }
    std::memcpy(bytes, text.data(), text.size());
    bytes[text.size()] = 0;
    buffer.size = size;
    return buffer;
}

std::string HostText(const HostBuffer& buffer)
{
    const unsigned char* bytes = VistrelBufferBytes(&buffer);
    if (!bytes || buffer.size == 0)
        return {};
    const auto* text = reinterpret_cast<const char*>(bytes);
    return std::string(text, strnlen(text, buffer.size));
}

bool ServiceClient::Connected()
{
    if (!m_getProcAddress) {
        // A module that was not handed the lookup finds it in the executable.
        auto exported = reinterpret_cast<VistrelGetServiceProcAddressFn>(
            dlsym(RTLD_DEFAULT, "GetServiceProcAddress"));
        if (exported)
            m_getProcAddress = exported();
    }
    return m_getProcAddress != nullptr;
}

VistrelHostProc ServiceClient::FindProc(const char* name)
{
    if (!Connected())
        return nullptr;
    return m_getProcAddress(MakeHostText(name));
}

std::string ServiceClient::Text(std::string_view key)
{
    auto getText = Find<VistrelGetTextFn>("GetText");
    if (!getText)
        return std::string(key);
    HostBuffer text{};
    getText(&text, MakeHostText(key));
    std::string result = HostText(text);
    VistrelFreeBuffer(&text);
    return result;
}

void ServiceClient::Localise(void* window)
{
    if (auto replaceText = Find<VistrelReplaceTextFn>("ReplaceText"))
        replaceText(window);
}

int64_t ServiceClient::Value(std::string_view name)
{
    int64_t value = 0;
    if (auto getValue = Find<VistrelGetValueFn>("GetValue"); !getValue || !getValue(MakeHostText(name), &value))
        return 0;
    return value;
}

bool ServiceClient::Flag(const char* name)
{
    auto flag = Find<VistrelGetFlagFn>(name);
    return flag && flag() != 0;
}

std::string ServiceClient::TextValue(const char* name)
{
    auto getter = Find<VistrelGetTextValueFn>(name);
    if (!getter)
        return {};
    HostBuffer text{};
    getter(&text);
    std::string result = HostText(text);
    VistrelFreeBuffer(&text);
    return result;
}

static std::vector<std::string> TakeTexts(HostBufferList& list)
{
    std::vector<std::string> texts;
    texts.reserve(list.count);
    for (uint64_t i = 0; i < list.count && list.items; ++i)
        texts.push_back(HostText(list.items[i]));
    VistrelFreeBufferList(&list);
    return texts;
}

ServiceClient::FileLists ServiceClient::Files(const char* name)
{
    FileLists lists;
    auto getFiles = Find<VistrelGetFiles3Fn>(name);
    if (!getFiles)
        return lists;
    HostBufferList paths{}, memos{}, companions{};
    if (getFiles(&paths, &memos, &companions)) {
        lists.paths = TakeTexts(paths);
        lists.memoPaths = TakeTexts(memos);
        lists.companionPaths = TakeTexts(companions);
    }
    VistrelFreeBufferList(&paths);
    VistrelFreeBufferList(&memos);
    VistrelFreeBufferList(&companions);
    // The lists of one answer are parallel; never hand out ragged ones.
    lists.memoPaths.resize(lists.paths.size());
    lists.companionPaths.resize(lists.paths.size());
    return lists;
}

ServiceClient::FileLists ServiceClient::SelectedFiles() { return Files("GetSelectedFiles3"); }
ServiceClient::FileLists ServiceClient::DisplayedFiles() { return Files("GetDisplayedFiles3"); }
ServiceClient::FileLists ServiceClient::AllFiles() { return Files("GetAllFiles3"); }

int ServiceClient::FileType(const std::string& path, std::string* typeName)
{
    auto getFileType = Find<VistrelGetFileTypeFn>("GetFileType");
    if (!getFileType)
        return 0;
    HostBuffer name{};
    const int kind = getFileType(MakeHostText(path), &name);
    if (typeName)
        *typeName = HostText(name);
    VistrelFreeBuffer(&name);
    return kind;
}

bool ServiceClient::ReadImage(const std::string& path, HostImage& image)
{
    auto readImage = Find<VistrelReadImageFn>("ReadImage");
    return readImage && readImage(MakeHostText(path), &image) != 0;
}

int32_t ServiceClient::WriteImage(const std::string& path, const HostImage& image, std::string_view format,
                                  const HostTagList* tags, int32_t number)
{
    auto writeImage = Find<VistrelWriteImageFn>("WriteImage");
    if (!writeImage)
        return -5001;
    return writeImage(MakeHostText(path), &image, MakeHostText(format), tags, number);
}

bool ServiceClient::ReadTags(const std::string& path, HostTagList& tags)
{
    auto getTags = Find<VistrelGetTagInfoAllFn>("GetTagInfoAll");
    return getTags && getTags(MakeHostText(path), &tags) != 0;
}

uint32_t ServiceClient::ReadDword(std::string_view keyPath, uint32_t defaultValue)
{
    uint32_t value = defaultValue;
    if (auto read = Find<VistrelRegistryReadDwordFn>("RegistryReadDword"))
        read(&value, MakeHostText(keyPath), defaultValue);
    return value;
}

void ServiceClient::WriteDword(std::string_view keyPath, uint32_t value)
{
    if (auto write = Find<VistrelRegistryWriteDwordFn>("RegistryWriteDword"))
        write(MakeHostText(keyPath), value);
}

std::string ServiceClient::ReadString(std::string_view keyPath, std::string_view defaultText)
{
    auto read = Find<VistrelRegistryReadStringFn>("RegistryReadString");
    if (!read)
        return std::string(defaultText);
    HostBuffer text{};
    read(&text, MakeHostText(keyPath), MakeHostText(defaultText));
    std::string result = HostText(text);
    VistrelFreeBuffer(&text);
    return result;
}

void ServiceClient::WriteString(std::string_view keyPath, std::string_view text)
{
    if (auto write = Find<VistrelRegistryWriteStringFn>("RegistryWriteString"))
        write(MakeHostText(keyPath), MakeHostText(text));
}

void ServiceClient::SetUpdateFolder(const std::string& path)
{
    if (auto set = Find<VistrelSetUpdateFolderFn>("SetUpdateFolder"))
        set(MakeHostText(path));
}

void ServiceClient::AddUpdateFile(const std::string& path)
{
    if (auto add = Find<VistrelSetUpdateFileFn>("SetUpdateFile"))
        add(MakeHostText(path));
}

void ServiceClient::SetDialogWindow(void* dialog)
{
    if (auto set = Find<VistrelSetDialogHandleFn>("SetDialogHandle"))
        set(dialog);
}

std::string ServiceClient::ResourceRoot()
{
    auto exported = reinterpret_cast<VistrelGetResourceModuleFn>(dlsym(RTLD_DEFAULT, "GetResourceModule"));
    const char* root = exported ? exported() : nullptr;
    return root ? std::string(root) : std::string();
}
