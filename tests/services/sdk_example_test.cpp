#include <gtest/gtest.h>

#include <cstring>

#include "services/service_module_support.h"
#include <QWidget>

#include "services/service_slot.h"

namespace {

int64_t g_selectedImages = 0;
uint32_t g_writtenValue = 0;
std::string g_writtenKey;

std::string TakeText(HostBuffer& buffer)
{
    std::string text(reinterpret_cast<const char*>(VistrelBufferBytes(&buffer)),
                     strnlen(reinterpret_cast<const char*>(VistrelBufferBytes(&buffer)), buffer.size));
    VistrelFreeBuffer(&buffer);
    return text;
}

int32_t FakeGetValue(HostBuffer name, int64_t* value)
{
    if (TakeText(name) != "NumSelectedImages" || !value)
        return 0;
    *value = g_selectedImages;
    return 1;
}

int32_t FakeWriteDword(HostBuffer key, uint32_t value)
{
    g_writtenKey = TakeText(key);
    g_writtenValue = value;
    return 1;
}

VistrelHostProc FakeLookup(HostBuffer name)
{
    const std::string text = TakeText(name);
    if (text == "GetValue")
        return reinterpret_cast<VistrelHostProc>(&FakeGetValue);
    if (text == "RegistryWriteDword")
        return reinterpret_cast<VistrelHostProc>(&FakeWriteDword);
    return nullptr;
}

} // namespace

TEST(SdkExample, TheReadmeModuleLoadsAndRunsAgainstTheHostFunctions)
{
    Sandbox sandbox;
    ServiceSlot slot;
    slot.SetModulePath(std::string(VISTREL_TEST_MODULE_DIR) + "/hello_service.so");
    ASSERT_TRUE(slot.Load(FakeLookup)) << slot.LoadError();
    ASSERT_EQ(slot.Entries().getType(), 0);
    g_selectedImages = 3;
    slot.Entries().init();
    QWidget* const noWindow = nullptr;
    EXPECT_EQ(slot.Entries().exec(slot.Handle(), noWindow), 1);
    slot.Entries().free();
    EXPECT_EQ(g_writtenKey, "HelloService\\LastCount");
    EXPECT_EQ(g_writtenValue, 3u);
}

TEST(SdkExample, TheReadmeShowsTheExampleAsItIsBuilt)
{
    const std::string readme = ReadTextFile(VISTREL_SOURCE_DIR "/sdk/README.md");
    const std::string example = ReadTextFile(VISTREL_SOURCE_DIR "/sdk/examples/hello_service.c");
    ASSERT_FALSE(example.empty());
    EXPECT_NE(readme.find(example), std::string::npos);
}
