#include "platform/win32/device_install_win32.h"

#include <windows.h>
#include <newdev.h>

#include <vector>

#include "platform/win32/owners.h"

namespace tq {

namespace {

// newdev.dll is looked up at run time: the installer must start where it is missing, and a
// missing export is a failed call.
using UpdateDriverFn = decltype(&UpdateDriverForPlugAndPlayDevicesA);

}  // namespace

DeviceInstallResult Win32DeviceInstaller::UpdateDeviceDriver(const std::string& hardwareId,
                                                             const std::string& infPath) {
    LoadedLibrary newdev(library_.c_str());
    if (newdev.get() == nullptr) return {false, GetLastError()};
    const auto update = reinterpret_cast<UpdateDriverFn>(reinterpret_cast<void*>(
        GetProcAddress(newdev.get(), "UpdateDriverForPlugAndPlayDevicesA")));
    if (update == nullptr) return {false, GetLastError()};
    BOOL reboot = FALSE;
    // A FALSE that sets no error must read as 0, not as whatever the look-ups left behind.
    SetLastError(0);
    if (update(nullptr, hardwareId.c_str(), infPath.c_str(), 0, &reboot)) return {true, 0};
    return {false, GetLastError()};
}

bool Win32ProgramRunner::RunAndWait(const std::string& applicationName,
                                    const std::string& commandLine) {
    // The program is named apart, so the command line is passed as it is, unquoted.
    // CreateProcessA may write into the command line: it gets a copy.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(applicationName.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return false;
    }
    // Declared in this order so the thread handle is closed first, then the process.
    KernelHandle processHandle(process.hProcess);
    KernelHandle threadHandle(process.hThread);
    WaitForSingleObject(processHandle.get(), INFINITE);
    return true;
}

int Win32ProfileReader::ReadInt(const std::string& path, const std::string& section,
                                const std::string& key, int defaultValue) {
    return static_cast<int>(
        GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, path.c_str()));
}

bool Win32ProfileReader::RemoveFile(const std::string& path) {
    if (DeleteFileA(path.c_str())) return true;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace tq
