// What an installation leaves behind, read through the public API as any program would see it:
// printer drivers and monitors, the default printer, registry values, files, shell links and
// running processes; and the few things a scenario arranges on disk before it starts (a copy of
// the medium, a planted program). Paths and texts are UTF-8 here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tq::e2e {

// ---- Folders ---------------------------------------------------------------------------------

std::string WindowsFolder();   // GetWindowsDirectory, e.g. C:\windows
std::string SystemFolder();    // GetSystemDirectory
std::string ProgramsFolder();  // the current user's Start-menu Programs folder (CSIDL_PROGRAMS)
// The folder of the running program (the robot), with no trailing backslash.
std::string OwnFolder();
// GetSystemWow64Directory: where a 32-bit program's writes to its system folder land.
std::string Wow64SystemFolder();

// How a program under test sees the machine. The robot is 64-bit; a 32-bit program (the release
// medium's, under WOW64) reads and writes HKLM\Software in the 32-bit registry view
// (Wow6432Node), and its system folder is redirected to syswow64.
struct ProgramView {
    REGSAM registryView = 0;   // 0 (the robot's own) or KEY_WOW64_32KEY
    std::string systemFolder;  // where its system-folder writes land
};
// The view of the program at `path` (a 32-bit PE or not).
ProgramView ViewOfProgram(const std::wstring& path);

// ---- Files -----------------------------------------------------------------------------------

bool PathExists(std::string_view path);
bool IsFolder(std::string_view path);
// Copies the folder tree `from` to `to` (created), leaving out the files whose path relative to
// `from` is in `leaveOut` (compared without regard to case). False on the first failure.
bool CopyTree(std::string_view from, std::string_view to, const std::vector<std::string>& leaveOut,
              std::string* error);
bool CopyOneFile(std::string_view from, std::string_view to, std::string* error);

// ---- Registry --------------------------------------------------------------------------------

// A REG_SZ value (nullopt when the key or value is missing); key and value names in UTF-8.
// `view`: 0 for the robot's own registry view, or KEY_WOW64_32KEY.
std::optional<std::string> RegistryText(HKEY root, std::string_view key, std::string_view value,
                                        REGSAM view = 0);
// A REG_DWORD value, in `view` as RegistryText.
std::optional<std::uint32_t> RegistryDword(HKEY root, std::string_view key,
                                           std::string_view value, REGSAM view = 0);
// The strings of a REG_MULTI_SZ value, in UTF-8 (nullopt when the key or value is missing).
std::optional<std::vector<std::string>> RegistryStrings(HKEY root, std::string_view key,
                                                        std::string_view value);
// Writes a REG_SZ value, creating the key; false on failure.
bool SetRegistryText(HKEY root, std::string_view key, std::string_view value, std::string_view data,
                     REGSAM view = 0);

// ---- Spooler ---------------------------------------------------------------------------------

std::optional<std::string> DefaultPrinter();

struct DriverRecord {
    std::string name;
    std::string driverPath;
    std::string monitor;
};
// EnumPrinterDriversA level 3 for one environment ("Windows x64").
std::vector<DriverRecord> ListDrivers(std::string_view environment);
std::vector<std::string> ListMonitors();

// ---- Shell links -----------------------------------------------------------------------------

struct ShortcutView {
    std::string target;
    std::string description;
};
// Loads a .lnk through IShellLinkA and IPersistFile; nullopt (and `error`) when it cannot.
std::optional<ShortcutView> LoadShortcut(std::string_view path, std::string* error);

// ---- Processes -------------------------------------------------------------------------------

struct ProcessEntry {
    DWORD id;
    DWORD parent;
    std::string exeName;  // bare file name, as Toolhelp reports it
};
std::vector<ProcessEntry> ListProcesses();
// Processes whose parent is `parentId`.
std::vector<ProcessEntry> ChildrenOf(DWORD parentId);

// A visible top-level window of any process with exactly this caption, or nullptr.
HWND FindTopLevel(std::string_view caption);

// ---- The whole machine -----------------------------------------------------------------------

// Everything an installation can change, one line per item in a fixed order, so that two
// snapshots compare as texts: every file under the Windows drive (path, size, last write) but
// the temporary folders and `leaveOut`; the registry keys the installer writes, whole (the
// installed programs, Run and RunOnce in both views, the spooler's Print key, the session
// manager's pending renames, the users' printer and shell-folder keys); the spooler's queues,
// drivers of both environments, monitors, ports and the default printer.
std::vector<std::string> MachineSnapshot(const std::vector<std::string>& leaveOut);

}  // namespace tq::e2e
