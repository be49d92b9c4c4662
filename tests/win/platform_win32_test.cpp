#include <windows.h>

#include <gtest/gtest.h>

#include "install/app/startup.h"
#include "install/system/platform_class.h"
#include "platform/dll_search.h"
#include "platform/instance.h"

namespace tq {
namespace {

TEST(Win32SystemInfo, SixtyFourBitWineIsAVistaClassSixtyFourBitSystem) {
    EXPECT_EQ(GetPlatformClass(RealSystemInfo()), PlatformVista);
    EXPECT_EQ(GetProcessorClass(RealSystemInfo()), Processor64);
}

TEST(InstanceMutex, TheSecondCreationFindsTheFirst) {
    const char* name = "TqInstanceMutexProbe";
    EXPECT_FALSE(InstanceMutexExists(name));
    EXPECT_TRUE(InstanceMutexExists(name));
    // The first handle still holds the name: another process would see it too.
    HANDLE probe = OpenMutexA(SYNCHRONIZE, FALSE, name);
    EXPECT_NE(probe, nullptr);
    if (probe) CloseHandle(probe);
}

TEST(InstanceMutex, TheProductNameIsKept) {
    EXPECT_STREQ(kInstanceMutexName, "PreventSecondTQ8240InstallInstance");
}

TEST(DllSearch, ALibraryInTheCurrentDirectoryIsNotLoadedByBareName) {
    char previous[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(TQ_PLANTED_DIR));

    // Without narrowing, the current directory is searched: the test is meaningful.
    HMODULE before = LoadLibraryA("tqplanted.dll");
    ASSERT_NE(before, nullptr) << "the planted library should load before narrowing";
    FreeLibrary(before);

    NarrowDllSearchPath();
    HMODULE after = LoadLibraryA("tqplanted.dll");
    EXPECT_EQ(after, nullptr);
    if (after) FreeLibrary(after);

    // Libraries beside the program and system libraries still load by bare name.
    HMODULE beside = LoadLibraryA("tqbeside.dll");
    EXPECT_NE(beside, nullptr);
    if (beside) FreeLibrary(beside);

    HMODULE system = LoadLibraryA("winspool.drv");
    EXPECT_NE(system, nullptr);
    if (system) FreeLibrary(system);

    SetCurrentDirectoryA(previous);
}

}  // namespace
}  // namespace tq
