#include "tests/e2e/installer.h"

#include "tests/e2e/system_state.h"

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

HWND WaitForProgressPage(const Process& installer) {
    return WaitForPage(installer, kInstallerCaption, IDC_PROGRESS_BAR, kReactionTimeoutMs);
}

HWND WaitForUsbPrompt(const Process& installer, DWORD timeoutMs) {
    return WaitForPage(installer, "USB", IDC_USB_STEP1, timeoutMs);
}

namespace {

// A posted click on a check box or option button has been handled once its state shows it.
bool ClickUntilChecked(HWND page, int id, bool checked) {
    if (ControlChecked(page, id) == checked) return true;
    return Click(page, id) &&
           WaitUntil([&] { return ControlChecked(page, id) == checked; }, kReactionTimeoutMs);
}

}  // namespace

HWND OpenProgressPage(const Process& installer, const InstallChoices& choices, std::string* error) {
    auto fail = [&](const std::string& why) -> HWND {
        if (error) *error = why;
        return nullptr;
    };
    HWND page = WaitForWelcomePage(installer);
    if (page == nullptr) return fail("no welcome page");
    if (!Click(page, IDOK)) return fail("the welcome page has no 下一步");

    page = WaitForPrinterNamePage(installer);
    if (page == nullptr) return fail("no printer name page");
    if (!choices.printerName.empty() && !SetControlText(page, IDC_NAME_EDIT, choices.printerName)) {
        return fail("cannot set the printer name");
    }
    if (!ClickUntilChecked(page, IDC_NAME_DEFAULT, choices.setAsDefault)) {
        return fail("the default printer box does not change");
    }
    if (!Click(page, IDOK)) return fail("the printer name page has no 下一步");

    page = WaitForSharingPage(installer);
    if (page == nullptr) return fail("no sharing page after the printer name page");
    if (!choices.shareName.empty()) {
        // 共享为 proposes a name as it is handled: set ours only after that.
        if (!Click(page, IDC_SHARE_AS) || !WaitUntil(
                                              [&] {
                                                  return ControlEnabled(page, IDC_SHARE_NAME) &&
                                                         !ControlText(page, IDC_SHARE_NAME).empty();
                                              },
                                              kReactionTimeoutMs)) {
            return fail("共享为 does not enable the share name");
        }
        if (ControlText(page, IDC_SHARE_NAME) != choices.shareName &&
            !SetControlText(page, IDC_SHARE_NAME, choices.shareName)) {
            return fail("cannot set the share name");
        }
    }
    if (!Click(page, IDOK)) return fail("the sharing page has no 下一步");

    page = WaitForConnectionTypePage(installer);
    if (page == nullptr) return fail("no connection type page after the sharing page");
    if (!ClickUntilChecked(page, choices.connection, true)) {
        return fail("the connection option cannot be chosen");
    }
    if (!Click(page, IDOK)) return fail("the connection type page has no 下一步");

    page = WaitForProgressPage(installer);
    return page != nullptr ? page : fail("no progress page after the connection type page");
}

namespace {

double Milliseconds(const LARGE_INTEGER& from) {
    LARGE_INTEGER now{};
    LARGE_INTEGER frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - from.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}

}  // namespace

ProgressWatch WatchProgress(const Process& installer, HWND page, DWORD timeoutMs, DWORD pollMs) {
    LARGE_INTEGER start{};
    QueryPerformanceCounter(&start);
    ProgressWatch watch;
    const auto note = [&](std::vector<SeenText>& seen, const std::string& text) {
        if (seen.empty() ? !text.empty() : seen.back().text != text) {
            seen.push_back({text, Milliseconds(start)});
        }
    };
    const Deadline deadline(timeoutMs);
    for (;;) {
        // The button last changes on the page: once it reads 关闭, the lines read after it are
        // the final ones.
        const bool finished = ControlText(page, IDCANCEL) == "关闭";
        note(watch.statuses, ControlText(page, IDC_PROGRESS_STATUS));
        note(watch.files, ControlText(page, IDC_PROGRESS_FILE));
        if (finished) {
            watch.finished = true;
            break;
        }
        for (HWND w : TopLevelWindows(installer.Id())) {
            if (w != page && IsMessageBox(w)) watch.box = w;
        }
        if (watch.box != nullptr || deadline.Passed()) break;
        if (WaitForSingleObject(installer.Handle(), pollMs) == WAIT_OBJECT_0) {
            watch.ended = true;
            break;
        }
    }
    watch.elapsedMs = Milliseconds(start);
    return watch;
}

std::vector<std::string> TextsOf(const std::vector<SeenText>& seen) {
    std::vector<std::string> texts;
    for (const auto& s : seen) texts.push_back(s.text);
    return texts;
}

std::optional<RunPaths> CopyMediumTo(const RunPaths& paths, std::string_view folder,
                                     const std::vector<std::string>& leaveOut, std::string* error) {
    if (!CopyTree(Utf8(paths.medium), folder, leaveOut, error)) return std::nullopt;
    RunPaths copy = paths;
    copy.medium = Wide(folder);
    copy.installer = JoinPath(copy.medium, L"TQ82Ins.exe");
    return copy;
}

std::string ProgramFolderOf(std::string_view printerName) {
    return WindowsFolder().substr(0, 3) + "Program Files\\Kestra\\" + std::string(printerName);
}

bool Shoot(const RunPaths& paths, HWND window, std::string_view name, std::string* error) {
    return SaveScreenshot(window, JoinPath(paths.shots, Wide(std::string(name) + ".bmp")), error);
}

}  // namespace tq::e2e
