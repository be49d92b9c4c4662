// Folders and paths the system reports, and how its paths are encoded. Each answer is empty when
// the call fails.
#pragma once

#include <string>

namespace tq {

class SystemPaths {
  public:
    virtual ~SystemPaths() = default;
    // GetModuleFileNameA of the running program (260 characters).
    virtual std::string ModuleFileName() = 0;
    // GetWindowsDirectoryA, without a trailing backslash (C:\Windows).
    virtual std::string WindowsDirectory() = 0;
    // GetSystemDirectoryA, without a trailing backslash.
    virtual std::string SystemDirectory() = 0;
    // Where this program's writes to its system folder land when it is a 32-bit program on
    // 64-bit Windows (IsWow64Process, then GetSystemWow64DirectoryA: syswow64), without a
    // trailing backslash; empty when it is not, or the system has neither call.
    virtual std::string Wow64SystemDirectory() = 0;
    // GetPrinterDriverDirectoryA (local, level 1) of one environment, without a trailing
    // backslash; null: the caller's own environment ("w32x86" for a 32-bit program on 64-bit
    // Windows, where "Windows x64" answers "x64").
    virtual std::string PrinterDriverDirectory(const char* environment) = 0;
    // SHGetSpecialFolderPathA(CSIDL_APPDATA) without creating it: the user's roaming
    // application-data folder, without a trailing backslash.
    virtual std::string ApplicationDataFolder() = 0;
    // IsDBCSLeadByte: the byte starts a double-byte character in the running system's ANSI code
    // page, the one its paths are written in.
    virtual bool IsLeadByte(unsigned char c) = 0;
};

}  // namespace tq
