#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>

#include "install/app/startup.h"
#include "install/system/platform_class.h"
#include "platform/account.h"
#include "platform/dll_search.h"
#include "platform/instance.h"
#include "platform/win32/owners.h"

namespace tq {
namespace {

TEST(Win32SystemInfo, SixtyFourBitWineIsAVistaClassSixtyFourBitSystem) {
    EXPECT_EQ(GetPlatformClass(RealSystemInfo()), PlatformVista);
    EXPECT_EQ(GetProcessorClass(RealSystemInfo()), Processor64);
}

TEST(InstanceMutex, TheSecondCreationFindsTheFirst) {
    const char* name = "TqInstanceMutexProbe";
    const MutexCreation first = CreateInstanceMutex(name);
    EXPECT_TRUE(first.made);
    EXPECT_EQ(first.error, 0u);
    const MutexCreation second = CreateInstanceMutex(name);
    EXPECT_TRUE(second.made);
    EXPECT_EQ(second.error, kMutexAlreadyExists);
    // The first handle still holds the name: another process would see it too.
    HANDLE probe = OpenMutexA(SYNCHRONIZE, FALSE, name);
    EXPECT_NE(probe, nullptr);
    if (probe) CloseHandle(probe);
}

// A mutex under the session's name or the machine's makes the check say "another instance",
// also one this account may not open (an empty DACL, as another account's). Wine runs its
// programs in session 1, where, as on Windows outside session 0, the names are two objects.
TEST(InstanceMutex, AMutexUnderEitherNameMakesTheCheckSayAnotherInstance) {
    SECURITY_DESCRIPTOR locked;
    ACL noAccess;
    ASSERT_TRUE(InitializeSecurityDescriptor(&locked, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(InitializeAcl(&noAccess, sizeof(noAccess), ACL_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&locked, TRUE, &noAccess, FALSE));
    SECURITY_ATTRIBUTES lockedAttributes{sizeof(lockedAttributes), &locked, FALSE};
    const struct {
        const char* name;
        const char* held;
        const char* free;  // the other name: only the held one can answer
        SECURITY_ATTRIBUTES* security;
        bool madeAgain;  // CreateInstanceMutex(held).made
    } cases[] = {
        {"TqSession", "TqSession", "Global\\TqSession", nullptr, true},
        {"TqMachine", "Global\\TqMachine", "TqMachine", nullptr, true},
        {"TqLocked", "Global\\TqLocked", "TqLocked", &lockedAttributes, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.held);
        ASSERT_NE(CreateMutexA(c.security, FALSE, c.held), nullptr);  // held for the test's life
        EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, c.free), nullptr);
        const MutexCreation again = CreateInstanceMutex(c.held);
        EXPECT_EQ(again.made, c.madeAgain);
        EXPECT_EQ(again.error, c.madeAgain ? kMutexAlreadyExists : kMutexAccessDenied);
        EXPECT_TRUE(IsSecondInstance(c.name, CreateInstanceMutex));
    }
    // A first instance holds both names.
    EXPECT_FALSE(IsSecondInstance("TqFirst", CreateInstanceMutex));
    for (const char* taken : {"TqFirst", "Global\\TqFirst"}) {
        const KernelHandle held(OpenMutexA(SYNCHRONIZE, FALSE, taken));
        EXPECT_NE(held.get(), nullptr) << taken;
    }
}

// Wine cannot run a program as LocalSystem: the test user is an ordinary account.
TEST(Account, TheTestUserIsNotLocalSystem) {
    EXPECT_FALSE(RunsAsLocalSystem());
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
