#include "platform/win32/device_install_win32.h"

#include <windows.h>
#include <newdev.h>

#include <vector>

namespace tq {

namespace {

// newdev.dll is looked up at run time: the installer must start where it is missing, and a
// missing export is a failed call.
using UpdateDriverFn = decltype(&UpdateDriverForPlugAndPlayDevicesA);

class LoadedLibrary {
  public:
    // Bare name: the standard search, the program's own folder first (the current directory
    // was taken out of the search at start-up).
    explicit LoadedLibrary(const char* name) : module_(LoadLibraryA(name)) {}
    ~LoadedLibrary() {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    HMODULE get() const { return module_; }

  private:
    HMODULE module_;
};

class KernelHandle {
  public:
    explicit KernelHandle(HANDLE handle) : handle_(handle) {}
    ~KernelHandle() {
        if (handle_ != nullptr) CloseHandle(handle_);
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

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

}  // namespace tq
