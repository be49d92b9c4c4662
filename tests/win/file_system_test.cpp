// The file system and process adapters against Wine's real files, SysFileCopier.exe and the
// language monitor of the test medium, and both copy stages run on the test medium with every
// real adapter, as the installation thread will run them.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "helpers/sys_file_copier/copier_files.h"
#include "install/engine/copying.h"
#include "install/engine/file_sets.h"
#include "install/system/platform_class.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/processes_win32.h"
#include "platform/win32/setup_libraries_win32.h"
#include "platform/win32/system_paths_win32.h"
#include "tests/support/fake_progress.h"
#include "tests/win/file_contents.h"

namespace tq {
namespace {

// The test medium, with backslashes, ending in one.
std::string Medium() {
    std::string path = TQ_MEDIUM_DIR;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path + "\\";
}

std::string SystemFolder() {
    char buffer[MAX_PATH] = "";
    GetSystemDirectoryA(buffer, MAX_PATH);
    return std::string(buffer) + "\\";
}

using test::ReadAll;

bool WriteAll(const std::string& path, const std::string& contents) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == contents.size();
}

bool ReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

void RemoveFile(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

// Runs a program and waits for it (with a time-out); its exit code, or -1.
long RunAndWait(const std::string& commandLine, DWORD timeoutMs = 20000) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<long>(code);
}

bool PathThere(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SamePathNoCase(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// A fresh folder for one test, under C:\.
std::string Scratch(const char* name) {
    const std::string folder = std::string("C:\\") + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

TEST(Win32FileSystem, FoldersCreatedOnceThenFoundAndNeverWithoutTheirParent) {
    Win32FileSystem files;
    const std::string root = Scratch("tq folders");
    EXPECT_EQ(files.CreateFolder(root + "Kestra"), FolderResult::Created);
    EXPECT_EQ(files.CreateFolder(root + "Kestra"), FolderResult::AlreadyExists);
    EXPECT_EQ(files.CreateFolder(root + "KESTRA"), FolderResult::AlreadyExists);
    EXPECT_EQ(files.CreateFolder(root + "missing\\Kestra"), FolderResult::Failed);
    // A file of that name blocks the folder with the same error as a folder.
    ASSERT_TRUE(WriteAll(root + "file", "x"));
    EXPECT_EQ(files.CreateFolder(root + "file"), FolderResult::AlreadyExists);
}

// Windows 9x's deletion at the restart, run here directly (Wine's MoveFileExA has the NT
// record): the file by its short name under [rename] in the Windows folder's WININIT.INI, kept
// beside what was there; a folder cannot be recorded.
TEST(Win32FileSystem, Windows9xRecordsAFileToDeleteInWinInit) {
    const std::string root = Scratch("tq long folder name");
    ASSERT_TRUE(WriteAll(root + "T824UIS.exe", "x"));
    char windows[MAX_PATH] = "";
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    const std::string ini = std::string(windows) + "\\WININIT.INI";
    ASSERT_TRUE(WriteAll(ini, "[rename]\r\nNUL=C:\\OLD.DLL\r\n"));
    EXPECT_EQ(Win32FileSystem::DeleteAtRestartByWinInit(root + "T824UIS.exe"), 0u);
    char shortPath[MAX_PATH] = "";
    ASSERT_GT(GetShortPathNameA((root + "T824UIS.exe").c_str(), shortPath, MAX_PATH), 0u);
    EXPECT_EQ(ReadAll(ini),
              "[rename]\r\nNUL=" + std::string(shortPath) + "\r\nNUL=C:\\OLD.DLL\r\n");
    EXPECT_EQ(Win32FileSystem::DeleteAtRestartByWinInit(root.substr(0, root.size() - 1)),
              static_cast<std::uint32_t>(ERROR_CALL_NOT_IMPLEMENTED));
    DeleteFileA(ini.c_str());
}

TEST(Win32FileSystem, FileExistsAsFindFirstFileSeesIt) {
    Win32FileSystem files;
    const std::string root = Scratch("tq exists");
    ASSERT_TRUE(WriteAll(root + "T8242dr.dll", "driver"));
    EXPECT_TRUE(files.FileExists(root + "T8242dr.dll"));
    EXPECT_TRUE(files.FileExists(root + "t8242DR.DLL"));  // letter case is ignored
    EXPECT_TRUE(files.FileExists(root + "*.dll"));
    EXPECT_FALSE(files.FileExists(root + "T8242ui.dll"));
    EXPECT_FALSE(files.FileExists(root + "missing\\T8242dr.dll"));
    // A folder matches too, as the product's existence test has always allowed.
    EXPECT_TRUE(files.FileExists(root.substr(0, root.size() - 1)));
}

TEST(Win32FileSystem, AReadOnlyDestinationIsReplacedOnceItsAttributesAreReset) {
    Win32FileSystem files;
    const std::string root = Scratch("tq copy");
    ASSERT_TRUE(WriteAll(root + "new.dll", "new"));
    ASSERT_TRUE(WriteAll(root + "old.dll", "old"));
    ASSERT_TRUE(SetFileAttributesA((root + "old.dll").c_str(), FILE_ATTRIBUTE_READONLY));

    // Windows refuses with ERROR_ACCESS_DENIED. Wine leaves the refusal to the Unix open(),
    // which root (the sandbox runs Wine as root) passes: there the copy goes through.
    const std::uint32_t first = files.CopyOver(root + "new.dll", root + "old.dll");
    std::printf("measured: CopyFileA onto a read-only file: error %u, read-only after: %s\n", first,
                ReadOnly(root + "old.dll") ? "yes" : "no");
    EXPECT_TRUE(files.SetNormalAttributes(root + "old.dll"));
    EXPECT_FALSE(ReadOnly(root + "old.dll"));
    ASSERT_TRUE(WriteAll(root + "new.dll", "new 2"));
    EXPECT_EQ(files.CopyOver(root + "new.dll", root + "old.dll"), 0u);
    EXPECT_EQ(ReadAll(root + "old.dll"), "new 2");

    // A plain existing destination is replaced; a missing source or folder fails with the
    // system's error of the copy.
    ASSERT_TRUE(WriteAll(root + "new.dll", "newer"));
    EXPECT_EQ(files.CopyOver(root + "new.dll", root + "old.dll"), 0u);
    EXPECT_EQ(ReadAll(root + "old.dll"), "newer");
    EXPECT_EQ(files.CopyOver(root + "none.dll", root + "old.dll"),
              static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(files.CopyOver(root + "new.dll", root + "missing\\new.dll"),
              static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(files.SetNormalAttributes(root + "none.dll"));

    // The copy takes the source's read-only flag (a medium on CD leaves read-only copies).
    ASSERT_TRUE(SetFileAttributesA((root + "new.dll").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(files.CopyOver(root + "new.dll", root + "copy.dll"), 0u);
    std::printf("measured: CopyFileA of a read-only source leaves a read-only copy: %s\n",
                ReadOnly(root + "copy.dll") ? "yes" : "no");
    EXPECT_TRUE(files.SetNormalAttributes(root + "copy.dll"));
    EXPECT_TRUE(files.Delete(root + "copy.dll"));
    EXPECT_FALSE(PathThere(root + "copy.dll"));
    EXPECT_FALSE(files.Delete(root + "copy.dll"));
}

constexpr char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr char kPendingRenames[] = "PendingFileRenameOperations";

// The strings of the REG_MULTI_SZ value that records the renames for the next start; nullopt
// when there is none.
std::optional<std::vector<std::string>> PendingRenames() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) != 0) {
        return std::nullopt;
    }
    DWORD type = 0, size = 0;
    std::optional<std::vector<std::string>> out;
    if (RegQueryValueExA(key, kPendingRenames, nullptr, &type, nullptr, &size) == 0) {
        std::vector<char> data(size + 2, '\0');
        if (RegQueryValueExA(key, kPendingRenames, nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size) == 0 &&
            type == REG_MULTI_SZ) {
            out.emplace();
            for (const char* p = data.data(); p < data.data() + size && *p != '\0';
                 p += std::strlen(p) + 1) {
                out->emplace_back(p);
            }
        }
    }
    RegCloseKey(key);
    return out;
}

// A driver file that a process holds open without letting others write (the spooler holding a
// DLL it loaded) refuses the copy as in use; the new file copied beside it is recorded to
// replace it when Windows restarts.
TEST(Win32FileSystem, AFileHeldOpenRefusesAsInUseAndIsReplacedAtTheRestart) {
    Win32FileSystem files;
    const std::string root = Scratch("tq held");
    const std::string held = root + "T8242dr.dll";
    const std::string staged = held + ".new";
    ASSERT_TRUE(WriteAll(root + "new.dll", "new"));
    ASSERT_TRUE(WriteAll(held, "old"));
    {
        HANDLE open = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(open, INVALID_HANDLE_VALUE);
        EXPECT_EQ(files.CopyOver(root + "new.dll", held),
                  static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(ReadAll(held), "old");
        CloseHandle(open);
    }

    ASSERT_FALSE(PendingRenames().has_value()) << "the prefix has renames waiting already";
    ASSERT_EQ(files.CopyOver(root + "new.dll", staged), 0u);
    ASSERT_EQ(files.ReplaceAtRestart(staged, held), 0u);
    const auto renames = PendingRenames();
    HKEY key = nullptr;  // the prefix is shared with the tests that follow
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) == 0) {
        RegDeleteValueA(key, kPendingRenames);
        RegCloseKey(key);
    }
    ASSERT_TRUE(renames.has_value()) << "no " << kPendingRenames;
    std::printf("measured: %s after MoveFileExA(DELAY_UNTIL_REBOOT | REPLACE_EXISTING):",
                kPendingRenames);
    for (const auto& entry : *renames) std::printf(" \"%s\"", entry.c_str());
    std::printf("\n");
    // (from, to) in NT form; "!" before the target asks to replace it.
    ASSERT_EQ(renames->size(), 2u);
    EXPECT_TRUE(SamePathNoCase((*renames)[0], "\\??\\" + staged)) << (*renames)[0];
    EXPECT_TRUE(SamePathNoCase((*renames)[1], "!\\??\\" + held)) << (*renames)[1];
    // Nothing moved now.
    EXPECT_EQ(ReadAll(held), "old");
    EXPECT_EQ(ReadAll(staged), "new");
}

TEST(Win32Processes, WaitsForAQuotedProgramPathWithSpacesAndReportsEachOutcome) {
    Win32Processes processes;
    // A medium folder with a space in its name, holding just SysFileCopier and its Vista files.
    const std::string medium = Scratch("tq medium x");
    ASSERT_TRUE(
        CopyFileA((Medium() + kSysFileCopier).c_str(), (medium + kSysFileCopier).c_str(), FALSE));
    CreateDirectoryA((medium + "Driver").c_str(), nullptr);
    CreateDirectoryA((medium + "Driver\\Vista").c_str(), nullptr);
    for (const char* name : sys_file_copier::kFiles) {
        ASSERT_TRUE(WriteAll(medium + "Driver\\Vista\\" + name, std::string("spaced ") + name));
        RemoveFile(SystemFolder() + name);
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    ProgramRun run = processes.RunAndWait("\"" + medium + kSysFileCopier + "\"", SW_SHOW, 4000);
    QueryPerformanceCounter(&end);
    std::printf("measured: SysFileCopier.exe started and ended in %.1f ms\n",
                1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                    static_cast<double>(frequency.QuadPart));
    EXPECT_EQ(run.outcome, ProgramRun::Ended);
    EXPECT_EQ(run.code, 0u);
    // Its work is done when the wait returns.
    for (const char* name : sys_file_copier::kFiles) {
        EXPECT_EQ(ReadAll(SystemFolder() + name), std::string("spaced ") + name);
    }

    // Alone in a folder without its medium it copies nothing and ends with 2; with no time to
    // wait, the wait ends first.
    const std::string alone = Scratch("tq alone x");
    ASSERT_TRUE(
        CopyFileA((Medium() + kSysFileCopier).c_str(), (alone + kSysFileCopier).c_str(), FALSE));
    EXPECT_EQ(processes.RunAndWait("\"" + alone + kSysFileCopier + "\"", SW_SHOW, 0).outcome,
              ProgramRun::TimedOut);
    run = processes.RunAndWait("\"" + alone + kSysFileCopier + "\"", SW_SHOW, 20000);
    EXPECT_EQ(run.outcome, ProgramRun::Ended);
    EXPECT_EQ(run.code, 2u);

    run = processes.RunAndWait("\"C:\\tq medium x\\NoSuchProgram.exe\"", SW_SHOW, 4000);
    EXPECT_EQ(run.outcome, ProgramRun::NotStarted);
    EXPECT_EQ(run.code, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(processes.StartProgram("\"C:\\tq medium x\\NoSuchProgram.exe\"", SW_SHOW));
}

TEST(SysFileCopier, CopiesTheThreeFilesOfItsPlatformFolderIntoSystem32) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExA(&version));
    std::printf("measured: Wine reports Windows %lu.%lu\n", version.dwMajorVersion,
                version.dwMinorVersion);
    const std::string folder = sys_file_copier::SourceFolderFor(version.dwMajorVersion);
    for (const char* name : sys_file_copier::kFiles) RemoveFile(SystemFolder() + name);

    EXPECT_EQ(RunAndWait("\"" + Medium() + kSysFileCopier + "\""), 0);
    for (const char* name : sys_file_copier::kFiles) {
        const std::string copy = ReadAll(SystemFolder() + name);
        EXPECT_EQ(copy, ReadAll(Medium() + folder + name)) << name;
        EXPECT_NE(copy, "<missing>");
    }
    // The placeholders name their folder: this was the Vista one, not 2KXP's.
    EXPECT_EQ(ReadAll(SystemFolder() + "FWTQ8240.bin"),
              "Placeholder for Driver/Vista/FWTQ8240.bin: not a real driver file.\n");

    // Alone in a folder without its medium: nothing to copy, exit code 2.
    const std::string alone = Scratch("tq alone");
    ASSERT_TRUE(
        CopyFileA((Medium() + kSysFileCopier).c_str(), (alone + kSysFileCopier).c_str(), FALSE));
    EXPECT_EQ(RunAndWait("\"" + alone + kSysFileCopier + "\""), 2);
}

// The medium's language monitor is a print monitor the spooler accepts from System32.
TEST(LanguageMonitor, TheSpoolerLoadsTheMediumsMonitorFromSystem32) {
    struct Monitor {
        const char* folder;
        const char* name;
    };
    for (const Monitor m :
         {Monitor{"Driver\\Vista\\", "T8242LM.dll"}, Monitor{"Driver\\98\\", "T8249LM.dll"}}) {
        const char* name = m.name;
        SCOPED_TRACE(name);
        ASSERT_TRUE(CopyFileA((Medium() + m.folder + name).c_str(), (SystemFolder() + name).c_str(),
                              FALSE));
        std::string monitorName = std::string("Files Test ") + name;
        std::string dll = name;
        std::string environment = "Windows x64";
        MONITOR_INFO_2A info{};
        info.pName = &monitorName[0];
        info.pEnvironment = &environment[0];
        info.pDLLName = &dll[0];
        SetLastError(0xDEADBEEF);
        EXPECT_TRUE(AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info)))
            << "GetLastError " << GetLastError();
        // Loaded again for a port enumeration: the monitor has no ports of its own.
        DWORD needed = 0, count = 0;
        EnumPortsA(nullptr, 1, nullptr, 0, &needed, &count);
        std::vector<BYTE> ports(needed ? needed : 1);
        EXPECT_TRUE(EnumPortsA(nullptr, 1, ports.data(), needed, &needed, &count));
        EXPECT_TRUE(DeleteMonitorA(nullptr, nullptr, &monitorName[0]));
    }
}

// The medium's paths with the installer's own module path, the system's for the rest.
class MediumPaths : public Win32SystemPaths {
  public:
    std::string ModuleFileName() override { return Medium() + "TQ82Ins.exe"; }
};

// Both copy stages with every real adapter, on what Wine is: Vista class, 64-bit.
TEST(CopyStages, StageAndPlaceTheVistaSetOnWine) {
    MediumPaths paths;
    Win32FileSystem files;
    Win32Processes processes;
    Win32SetupLibraries libraries;  // SetupNT.dll beside this program
    CopyServices services{paths, files, processes, libraries};
    test::RecordingProgress progress;
    InstallJob job;
    job.progress = &progress;
    job.platformClass = PlatformVista;
    job.processorClass = Processor64;
    WizardSettings settings;
    settings.SetPrinterName("Files Test");
    for (const char* name : sys_file_copier::kFiles) RemoveFile(SystemFolder() + name);

    LARGE_INTEGER frequency, start, staged, placed;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    ASSERT_EQ(StageDriverFiles(job, settings, services), 1)
        << ::testing::PrintToString(progress.Messages());
    QueryPerformanceCounter(&staged);
    ASSERT_EQ(PlaceDriverFiles(job, settings, services), 1)
        << ::testing::PrintToString(progress.Messages());
    QueryPerformanceCounter(&placed);
    auto ms = [&](LARGE_INTEGER a, LARGE_INTEGER b) {
        return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) /
               static_cast<double>(frequency.QuadPart);
    };
    std::printf("measured: staging %.1f ms, placement %.1f ms (SysFileCopier.exe waited for)\n",
                ms(start, staged), ms(staged, placed));
    EXPECT_EQ(progress.Posts(StageCopy, 1), 16 + 22);
    EXPECT_TRUE(progress.Messages().empty());

    const std::string program = "C:\\Program Files\\Kestra\\Files Test\\";
    const DriverFileSet set = DriverFileSetFor(PlatformVista, Processor64);
    for (const FileStep& step : set.staging) {
        const std::string to =
            step.destination == Destination::ProgramFolder ? program : program + "Driver\\";
        for (const char* name : step.files) {
            EXPECT_EQ(ReadAll(to + name), ReadAll(Medium() + step.sourceFolder + name)) << name;
        }
    }
    EXPECT_TRUE(files.FileExists(program + "Reg"));
    const std::string driverDirectory = paths.PrinterDriverDirectory(nullptr) + "\\";
    std::printf("measured: driver directory %s\n", driverDirectory.c_str());
    for (const char* name : set.placement[0].files) {
        const std::string medium = ReadAll(Medium() + "Driver\\Vista\\" + name);
        EXPECT_EQ(ReadAll(driverDirectory + name), medium) << name;
        EXPECT_EQ(ReadAll(driverDirectory + "3\\" + name), medium) << name;
    }
    // SysFileCopier.exe's files, and T824XSM.exe copied directly.
    for (const char* name : {"FWTQ8240.bin", "T8242lm.dll", "T824XWM.dat", "T824XSM.exe"}) {
        EXPECT_EQ(ReadAll(SystemFolder() + name), ReadAll(Medium() + "Driver\\Vista\\" + name))
            << name;
    }
    // CopyInf installed the program folder's copy under its own name (Wine keeps it).
    EXPECT_TRUE(files.FileExists(paths.WindowsDirectory() + "\\inf\\T8242if.inf"));

    // A second run under the same name reuses the folders and overwrites the files, a
    // read-only one included.
    progress.events.clear();
    const std::string stale = program + "Driver\\T8242dr.dll";
    ASSERT_TRUE(WriteAll(stale, "stale"));
    ASSERT_TRUE(SetFileAttributesA(stale.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(StageDriverFiles(job, settings, services), 1);
    EXPECT_EQ(ReadAll(stale), ReadAll(Medium() + "Driver\\Vista\\T8242dr.dll"));
    EXPECT_EQ(progress.Posts(StageCopy, 1), 16);
}

}  // namespace
}  // namespace tq
