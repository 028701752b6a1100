#include <gtest/gtest.h>

#include "services/service_slot.h"
#include "services/service_module_support.h"

namespace {
VistrelHostProc NoHostFunctions(HostBuffer name)
{
    VistrelFreeBuffer(&name);
    return nullptr;
}
} // namespace

TEST(ServiceSlot, LoadsOnceAndHandsTheLookupOverOnce)
{
    Sandbox sandbox;
    ServiceSlot slot;
    slot.SetModulePath(InstallTestModule(sandbox, "recording", "svc19.so"));
    ASSERT_TRUE(slot.Load(NoHostFunctions)) << slot.LoadError();
    ASSERT_TRUE(slot.Load(NoHostFunctions));
    EXPECT_TRUE(slot.Loaded());
    EXPECT_NE(slot.Handle(), nullptr);
    EXPECT_EQ(TestModuleLog(slot.ModulePath()), "SetService");
    auto lookup = TestModuleExport<VistrelGetProcAddressFn (*)()>(slot.ModulePath(), "RecordingLookup");
    ASSERT_NE(lookup, nullptr);
    EXPECT_EQ(lookup(), &NoHostFunctions);
    EXPECT_NE(slot.Entries().close, nullptr);
    EXPECT_NE(slot.Entries().createWindowR, nullptr);
}

TEST(ServiceSlot, MissingModuleIsTriedAgainLater)
{
    Sandbox sandbox;
    ServiceSlot slot;
    slot.SetModulePath(sandbox / "System/svc02.so");
    EXPECT_FALSE(slot.Load(NoHostFunctions));
    EXPECT_FALSE(slot.LoadError().empty());
    InstallTestModule(sandbox, "recording", "svc02.so");
    EXPECT_TRUE(slot.Load(NoHostFunctions)) << slot.LoadError();
}

TEST(ServiceSlot, ModuleWithoutARequiredExportIsNeverUsed)
{
    Sandbox sandbox;
    ServiceSlot slot;
    slot.SetModulePath(InstallTestModule(sandbox, "recording_without_exec", "svc06.so"));
    EXPECT_FALSE(slot.Load(NoHostFunctions));
    EXPECT_FALSE(slot.Load(NoHostFunctions));
    EXPECT_FALSE(slot.Loaded());
    EXPECT_EQ(slot.Entries().init, nullptr);
    // SetService is only for a module that can be used.
    EXPECT_EQ(TestModuleLog(slot.ModulePath()), "");
}

TEST(ServiceSlot, RelativePathsAreRefused)
{
    ServiceSlot slot;
    slot.SetModulePath("System/svc01.so");
    EXPECT_FALSE(slot.Load(NoHostFunctions));
    EXPECT_EQ(slot.Handle(), nullptr);
}
