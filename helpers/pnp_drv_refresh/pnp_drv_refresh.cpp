// PnpDrvRefresh.exe: a 32-bit installer on 64-bit Windows is refused the plug-and-play driver
// update (ERROR_IN_WOW64). It starts this 64-bit program from the medium with the whole command
// line "<inf path>;<hardware id>", waits for it, and reads the verdict from the state file:
// Results = 1 in section UpdateDriverForPlugAndPlayDevices of
// "<drive of the Windows folder>\Program Files\Kestra\SetupState.ini". No window.
#include <windows.h>
#include <newdev.h>

#include <cstdio>
#include <cstring>

#include "helpers/common/bounded_text.h"
#include "helpers/pnp_drv_refresh/state_file.h"

namespace {

namespace state = tq::pnp_drv_refresh;
using tq::helpers::Append;

// Looked up at run time, so the program starts where newdev.dll or the export is missing and
// reports that as a failed update.
using UpdateDriverFn = decltype(&UpdateDriverForPlugAndPlayDevicesA);
using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);

constexpr std::size_t kHardwareIdSize = 201;  // MAX_DEVICE_ID_LEN and its NUL

class LoadedLibrary {
  public:
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

// The program is started in the installer's current folder: keep that folder out of the
// library search (XP SP1 and later; older systems have no such call and search it last).
void KeepCurrentFolderOutOfLibrarySearch() {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return;
    const auto set = reinterpret_cast<SetDllDirectoryFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (set != nullptr) set("");
}

// Copies `text` into `buffer` whole, or refuses.
template <std::size_t N>
bool CopyWhole(char (&buffer)[N], std::string_view text) {
    if (text.size() >= N) return false;
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return true;
}

// The update; on FALSE, `error` holds GetLastError (or the failed load or look-up).
bool UpdateDriver(const char* hardwareId, const char* infPath, DWORD& error) {
    LoadedLibrary newdev("newdev.dll");
    if (newdev.get() == nullptr) {
        error = GetLastError();
        return false;
    }
    const auto update = reinterpret_cast<UpdateDriverFn>(reinterpret_cast<void*>(
        GetProcAddress(newdev.get(), "UpdateDriverForPlugAndPlayDevicesA")));
    if (update == nullptr) {
        error = GetLastError();
        return false;
    }
    BOOL reboot = FALSE;
    SetLastError(0);
    if (update(nullptr, hardwareId, infPath, 0, &reboot)) {
        error = 0;
        return true;
    }
    error = GetLastError();
    return false;
}

// "<drive>\" of the Windows folder followed by `tail`.
template <std::size_t N>
bool OnWindowsDrive(char (&path)[N], const char* tail) {
    char windows[MAX_PATH] = "";
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length < 3 || length >= MAX_PATH) return false;
    windows[3] = '\0';
    path[0] = '\0';
    return Append(path, windows) && Append(path, tail);
}

bool MakeFolder(const char* tail) {
    char folder[MAX_PATH] = "";
    if (!OnWindowsDrive(folder, tail)) return false;
    return CreateDirectoryA(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool WriteState(bool updated, DWORD error) {
    char path[MAX_PATH] = "";
    if (!OnWindowsDrive(path, state::kStateFile)) return false;
    if (!MakeFolder(state::kProgramFilesFolder) || !MakeFolder(state::kMakerFolder)) return false;
    char errorText[16] = "";
    std::snprintf(errorText, sizeof(errorText), "0x%08lX", static_cast<unsigned long>(error));
    // The verdict last: a reader that sees Results sees the error that goes with it.
    return WritePrivateProfileStringA(state::kSection, state::kLastErrorKey, errorText, path) &&
           WritePrivateProfileStringA(state::kSection, state::kResultsKey, updated ? "1" : "0",
                                      path);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    KeepCurrentFolderOutOfLibrarySearch();
    // GetCommandLineA, not WinMain's argument: the runtime drops the line's first word as if it
    // were the program's name, and here it is the start of the path.
    state::Request request;
    char infPath[MAX_PATH] = "";
    char hardwareId[kHardwareIdSize] = "";
    if (!state::SplitCommandLine(GetCommandLineA(), request) ||
        !CopyWhole(infPath, request.infPath) || !CopyWhole(hardwareId, request.hardwareId)) {
        return WriteState(false, ERROR_INVALID_PARAMETER) ? state::kBadCommandLine
                                                          : state::kNoStateFile;
    }
    DWORD error = 0;
    const bool updated = UpdateDriver(hardwareId, infPath, error);
    if (!WriteState(updated, error)) return state::kNoStateFile;
    return updated ? state::kUpdated : state::kNotUpdated;
}
