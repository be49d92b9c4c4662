// Folders and paths the system reports. Each answer is empty when the call fails.
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
    // GetPrinterDriverDirectoryA (local, own environment, level 1), without a trailing backslash.
    virtual std::string PrinterDriverDirectory() = 0;
    // SHGetSpecialFolderPathA(CSIDL_APPDATA) without creating it: the user's roaming
    // application-data folder, without a trailing backslash.
    virtual std::string ApplicationDataFolder() = 0;
};

}  // namespace tq
