#include "tests/e2e/installer.h"

namespace tq::e2e {

std::optional<RunPaths> ParseRunPaths(int argc, char** argv, std::string* error) {
    RunPaths paths;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.rfind("--installer=", 0) == 0) {
            paths.installer = WindowsPathOf(arg.substr(12));
        } else if (arg.rfind("--shots=", 0) == 0) {
            paths.shots = WindowsPathOf(arg.substr(8));
        }
    }
    if (paths.installer.empty() || paths.shots.empty()) {
        if (error) *error = "usage: --installer=PATH\\TQ82Ins.exe --shots=FOLDER";
        return std::nullopt;
    }
    const size_t slash = paths.installer.find_last_of(L"\\/");
    paths.medium = slash == std::wstring::npos ? L"." : paths.installer.substr(0, slash);
    if (GetFileAttributesW(paths.installer.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (error) *error = "no installer at " + Utf8(paths.installer);
        return std::nullopt;
    }
    return paths;
}

std::optional<Process> StartInstaller(const RunPaths& paths, std::string* error) {
    return Process::Start(paths.installer, paths.medium, error);
}

HWND WaitForWelcomePage(const Process& installer) {
    return WaitForPage(installer, kInstallerCaption, IDC_WELCOME_GREETING, kStartTimeoutMs);
}

HWND WaitForPrinterNamePage(const Process& installer) {
    return WaitForPage(installer, kInstallerCaption, IDC_NAME_EDIT, kReactionTimeoutMs);
}

HWND WaitForSharingPage(const Process& installer) {
    return WaitForPage(installer, kInstallerCaption, IDC_SHARE_NAME, kReactionTimeoutMs);
}

HWND WaitForConnectionTypePage(const Process& installer) {
    return WaitForPage(installer, kInstallerCaption, IDC_CONN_USB, kReactionTimeoutMs);
}

bool Shoot(const RunPaths& paths, HWND window, std::string_view name, std::string* error) {
    return SaveScreenshot(window, JoinPath(paths.shots, Wide(std::string(name) + ".bmp")), error);
}

}  // namespace tq::e2e
