#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "fixtures/sandbox.h"
#include "framework/resource_file.h"

namespace {

// Packs files into a module with the same tool and options the build uses.
bool PackModule(const Sandbox& sandbox, const std::string& qrc, const std::string& module)
{
    if (!std::filesystem::exists(VISTREL_RCC_PATH))
        return false;
    const std::string command
        = std::string(VISTREL_RCC_PATH) + " --binary --no-compress " + qrc + " -o " + module;
    return std::system(command.c_str()) == 0 && std::filesystem::exists(module) && !sandbox.Path().empty();
}

} // namespace

TEST(ResourceFile, ReadsFilesOutOfAPackedModule)
{
    Sandbox sandbox;
    sandbox.WriteFile("texts.frs", "KEY,\"value\"\n");
    sandbox.WriteFile("deep/inner.txt", std::string(70000, 'x'));
    const std::string qrc
        = sandbox.WriteFile("module.qrc",
                            "<RCC><qresource prefix=\"/\"><file>texts.frs</file><file>deep/inner.txt</file>"
                            "</qresource></RCC>");
    const std::string module = sandbox / "module.rcc";
    if (!PackModule(sandbox, qrc, module))
        GTEST_SKIP() << "the resource compiler is not installed";

    std::string text;
    ASSERT_TRUE(ReadResourceFile(module, "texts.frs", text));
    EXPECT_EQ(text, "KEY,\"value\"\n");
    ASSERT_TRUE(ReadResourceFile(module, "/deep/inner.txt", text));
    EXPECT_EQ(text, std::string(70000, 'x'));
    EXPECT_FALSE(ReadResourceFile(module, "missing.frs", text));
    EXPECT_FALSE(ReadResourceFile(module, "deep", text)); // a folder is not a file
}

TEST(ResourceFile, DamagedModulesAreRefusedCleanly)
{
    Sandbox sandbox;
    sandbox.WriteFile("texts.frs", "KEY,\"value\"\n");
    const std::string qrc = sandbox.WriteFile(
        "module.qrc", "<RCC><qresource prefix=\"/\"><file>texts.frs</file></qresource></RCC>");
    const std::string module = sandbox / "module.rcc";
    if (!PackModule(sandbox, qrc, module))
        GTEST_SKIP() << "the resource compiler is not installed";
    const std::string good = ReadTextFile(module);
    std::string text;
    EXPECT_FALSE(ReadResourceFile(sandbox / "absent.rcc", "texts.frs", text));
    // Every truncation and every single-byte change either reads or fails; nothing crashes.
    for (size_t length = 0; length < good.size(); ++length) {
        sandbox.WriteFile("cut.rcc", good.substr(0, length));
        EXPECT_FALSE(ReadResourceFile(sandbox / "cut.rcc", "texts.frs", text) && text != "KEY,\"value\"\n");
    }
    for (size_t i = 0; i < good.size(); ++i) {
        std::string bad = good;
        bad[i] = static_cast<char>(bad[i] ^ 0xFF);
        sandbox.WriteFile("bad.rcc", bad);
        ReadResourceFile(sandbox / "bad.rcc", "texts.frs", text);
    }
}
