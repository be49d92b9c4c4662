#include "tests/e2e/installer.h"

#include <cstdio>

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
    auto installer = Process::Start(paths.installer, paths.medium, error);
    if (!installer) return installer;
    // Once in many runs Wine loses a program right at its start: it ends with an exception
    // status before it has shown any window. That is the platform, not the installer, and it is
    // worth one more start; an installer that ends any other way is the scenario's business.
    WaitUntil([&] { return !TopLevelWindows(installer->Id()).empty(); }, kStartTimeoutMs,
              installer->Handle());
    const auto ended = installer->WaitForExit(0);
    if (ended && *ended >= 0xC0000000u && TopLevelWindows(installer->Id()).empty()) {
        std::fprintf(stderr, "e2e: the installer ended at its start with status 0x%08lX; starting it again\n",
                     static_cast<unsigned long>(*ended));
        return Process::Start(paths.installer, paths.medium, error);
    }
    return installer;
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
    // Looked for every millisecond, its caption read from the window system (GetWindowTextW of
    // another process's window sends it no message): the installation starts as the page opens
    // and its copy stage is over in about 0.1 s, which WaitForPage's reads, each waiting for the
    // page's busy thread, can miss.
    const Deadline deadline(kReactionTimeoutMs);
    const std::wstring caption = Wide(kInstallerCaption);
    while (!deadline.Passed()) {
        for (HWND w : TopLevelWindows(installer.Id())) {
            wchar_t text[64] = L"";
            GetWindowTextW(w, text, 64);
            if (GetDlgItem(w, IDC_PROGRESS_BAR) != nullptr && caption == text) return w;
        }
        if (WaitForSingleObject(installer.Handle(), 1) == WAIT_OBJECT_0) break;
    }
    return nullptr;
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

HWND WalkToConnectionChoice(const Process& installer, const InstallChoices& choices,
                            std::string* error) {
    auto fail = [&](const std::string& why) -> HWND {
        if (error) *error = why;
        return nullptr;
    };
    HWND page = WaitForWelcomePage(installer);
    if (page == nullptr) {
        const auto ended = installer.WaitForExit(0);
        if (!ended) return fail("no welcome page");
        char why[96];
        std::snprintf(why, sizeof why, "no welcome page: the installer ended with 0x%08lX",
                      static_cast<unsigned long>(*ended));
        return fail(why);
    }
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
    return page;
}

HWND OpenProgressPage(const Process& installer, const InstallChoices& choices, std::string* error) {
    HWND page = WalkToConnectionChoice(installer, choices, error);
    if (page == nullptr) return nullptr;
    if (!Click(page, IDOK)) {
        if (error) *error = "the connection type page has no 下一步";
        return nullptr;
    }
    page = WaitForProgressPage(installer);
    if (page == nullptr && error) *error = "no progress page after the connection type page";
    return page;
}

HWND WaitForTcpIpPortPage(const Process& installer) {
    return WaitForPage(installer, kInstallerCaption, IDC_TCP_RAW, kReactionTimeoutMs);
}

HWND WaitForSearchDialog(const Process& installer) {
    return WaitForPage(installer, "查找网络打印机", IDC_SEARCH_LIST, kReactionTimeoutMs);
}

HWND WaitForAdapterDialog(const Process& installer) {
    return WaitForPage(installer, "获取本机网卡信息", IDC_ADAPTER_LIST, kReactionTimeoutMs);
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
            if (w != page) watch.raised = w;
        }
        if (watch.raised != nullptr || deadline.Passed()) break;
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

bool UseNewdevDouble(const RunPaths& medium, std::string_view scenario, std::string* error) {
    for (const wchar_t* program : {L"TQ82Ins.exe", L"PnpDrvRefresh.exe"}) {
        const std::wstring key =
            std::wstring(L"Software\\Wine\\AppDefaults\\") + program + L"\\DllOverrides";
        HKEY opened = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &opened, nullptr) != ERROR_SUCCESS) {
            if (error) *error = "cannot create HKCU\\" + Utf8(key);
            return false;
        }
        const wchar_t order[] = L"native,builtin";
        const LONG set = RegSetValueExW(opened, L"newdev", 0, REG_SZ,
                                        reinterpret_cast<const BYTE*>(order), sizeof(order));
        RegCloseKey(opened);
        if (set != ERROR_SUCCESS) {
            if (error) *error = "cannot set the newdev override of " + Utf8(program);
            return false;
        }
    }
    const std::wstring file = JoinPath(medium.medium, L"newdev-scenario.txt");
    if (scenario.empty()) {
        DeleteFileW(file.c_str());
        return true;
    }
    UniqueHandle out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string line = std::string(scenario) + "\r\n";
    DWORD written = 0;
    if (out.get() == INVALID_HANDLE_VALUE ||
        !WriteFile(out.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
        written != line.size()) {
        if (error) *error = "cannot write " + Utf8(file);
        return false;
    }
    return true;
}

std::vector<std::string> NewdevCalls(const RunPaths& medium) {
    std::vector<std::string> calls;
    for (const auto& line : FileLines(JoinPath(medium.medium, L"newdev-calls.txt"))) {
        calls.push_back(FromAnsi(line));
    }
    return calls;
}

std::string ProgramFolderOf(std::string_view printerName) {
    return WindowsFolder().substr(0, 3) + "Program Files\\Kestra\\" + std::string(printerName);
}

bool Shoot(const RunPaths& paths, HWND window, std::string_view name, std::string* error) {
    return SaveScreenshot(window, JoinPath(paths.shots, Wide(std::string(name) + ".bmp")), error);
}

QuietRun RunQuiet(const RunPaths& medium, const std::string& arguments, DWORD timeoutMs) {
    return RunQuiet(medium.installer, medium.medium, arguments, timeoutMs);
}

}  // namespace tq::e2e
