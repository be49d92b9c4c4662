#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>

#include "install/app/startup.h"
#include "install/system/platform_class.h"
#include "platform/account.h"
#include "platform/dll_search.h"
#include "platform/instance.h"
#include "platform/win32/log_file_win32.h"
#include "platform/win32/owners.h"

namespace tq {
namespace {

// The log opens a plain file on a disk and nothing that only bears a file's name: a pipe whose
// server would read (and could act on) what an elevated run writes, a folder, a second name of
// another file, a link at the name.
TEST(Win32LogFile, OpensOnlyAPlainFileOnADisk) {
    char temp[MAX_PATH] = "";
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    const std::string folder = std::string(temp) + "tq-log-probe";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string file = folder + "\\tq.log";
    const std::string other = folder + "\\other.txt";
    DeleteFileA(file.c_str());
    DeleteFileA(other.c_str());
    ASSERT_TRUE(KernelHandle(CreateFileA(other.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr)).get() != INVALID_HANDLE_VALUE);
    const std::string hardLink = folder + "\\hard.log";
    DeleteFileA(hardLink.c_str());
    ASSERT_TRUE(CreateHardLinkA(hardLink.c_str(), other.c_str(), nullptr));
    const std::string symbolicLink = folder + "\\symbolic.log";
    DeleteFileA(symbolicLink.c_str());
    using MakeLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    const auto makeLink = reinterpret_cast<MakeLink>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
    const bool haveSymbolicLink =
        makeLink != nullptr && makeLink(symbolicLink.c_str(), other.c_str(), 0);
    const char* pipe = "\\\\.\\pipe\\tq-log-probe";
    KernelHandle server(CreateNamedPipeA(pipe, PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 0, 4096, 0,
                                         nullptr));
    ASSERT_NE(server.get(), INVALID_HANDLE_VALUE);

    const struct {
        std::string path;
        bool opens;
    } cases[] = {
        {file, true}, {pipe, false}, {folder, false}, {hardLink, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        Win32LogFile log;
        EXPECT_EQ(log.Open(c.path), c.opens);
        EXPECT_EQ(log.Append("line\r\n"), c.opens);
    }
    if (haveSymbolicLink) {
        // Windows refuses the link itself (a reparse point); Wine 8 opens the link as a file of
        // its own. Either way the line must not reach the link's target.
        Win32LogFile log;
        if (log.Open(symbolicLink)) log.Append("line\r\n");
    }
    // Nothing reached the file behind the links.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(other.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 0u);
    for (const std::string& path : {file, other, hardLink, symbolicLink}) DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
}

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
