#include "platform/win32/setup_libraries_win32.h"

#include <windows.h>

#include "platform/win32/owners.h"

namespace tq {

namespace {

// Calls library!exportName(args...) once; 0 when the library or the export is missing.
template <typename... Args>
int CallExport(const char* library, const char* exportName, Args... args) {
    using Fn = int __cdecl(Args...);
    LoadedLibrary loaded(library);
    Fn* fn = loaded.Export<Fn>(exportName);
    return fn != nullptr ? fn(args...) : 0;
}

}  // namespace

int Win32SetupLibraries::CopyInf(const std::string& folder, const std::string& infName) {
    return CallExport(setupNt_.c_str(), "CopyInf", folder.c_str(), infName.c_str());
}

int Win32SetupLibraries::InstallPort(const std::string& portName, int connectionType,
                                     char (&portBuffer)[kPortBufferSize]) {
    return CallExport(setupNt_.c_str(), "InstallPort", portName.c_str(), connectionType,
                      static_cast<char*>(portBuffer));
}

int Win32SetupLibraries::RefreshLocalDevNode() {
    return CallExport(setupNt_.c_str(), "RefreshLocalDevNode");
}

int Win32SetupLibraries::SetDefault(const std::string& printerName) {
    return CallExport(setupNt_.c_str(), "SetDefault", printerName.c_str());
}

int Win32SetupLibraries::SharePrinter(const std::string& printerName,
                                      const std::string& shareName) {
    return CallExport(setup9x_.c_str(), "SharePrinter", printerName.c_str(), shareName.c_str());
}

}  // namespace tq
