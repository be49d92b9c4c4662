// tq_uninstall_walk.exe, behind `make run-uninstaller`: lays a sample network-tools package out
// in the prefix as its installer would (the install folder, the program group under the
// all-users Start menu, the uninstaller as Uninstall_File in the system folder with a
// customize.ini beside it) and starts the uninstaller from the system folder.
//   --uninstaller=PATH --sample=FOLDER --shots=FOLDER [--interactive]
// With --interactive it waits for the person at the screen to finish with the uninstaller;
// otherwise it photographs the dialog at rest, with the mouse on 取消, and the about box,
// presses 确定, photographs the message and answers it. Both end with what is left of the
// package.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/robot.h"
#include "tests/e2e/system_state.h"
#include "tests/e2e/uninstall_package.h"
#include "uninstall/res/resource.h"

namespace tq::e2e {
namespace {

constexpr DWORD kStartMs = 20000;
constexpr DWORD kReactionMs = 5000;
constexpr COLORREF kWarmLeft = RGB(250, 196, 88);

struct Arguments {
    std::wstring uninstaller;
    std::string sample;
    std::wstring shots;
    bool interactive = false;
};

std::optional<Arguments> Parse(int argc, char** argv) {
    Arguments args;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.rfind("--uninstaller=", 0) == 0) {
            args.uninstaller = WindowsPathOf(arg.substr(14));
        } else if (arg.rfind("--sample=", 0) == 0) {
            args.sample = Utf8(WindowsPathOf(arg.substr(9)));
        } else if (arg.rfind("--shots=", 0) == 0) {
            args.shots = WindowsPathOf(arg.substr(8));
        } else if (arg == "--interactive") {
            args.interactive = true;
        }
    }
    if (args.uninstaller.empty() || args.sample.empty() || args.shots.empty()) return std::nullopt;
    return args;
}

void Shot(const Arguments& args, HWND window, const char* name) {
    std::string error;
    const std::wstring path = JoinPath(args.shots, Wide(std::string(name) + ".bmp"));
    if (SaveScreenshot(window, path, &error)) {
        std::printf("  picture: %s.png\n", name);
    } else {
        std::printf("  picture %s failed: %s\n", name, error.c_str());
    }
}

bool HasControl(HWND dialog, int id) {
    return GetDlgItem(dialog, id) != nullptr;
}

std::optional<COLORREF> LeftEdge(HWND button) {
    RECT client{};
    GetClientRect(button, &client);
    return ScreenPixel(button, GetSystemMetrics(SM_CXEDGE) + 1, client.bottom / 2);
}

void ReportPieces(const PackagePaths& paths) {
    std::vector<std::string> pieces = paths.folderFiles;
    pieces.push_back(paths.installedIni);
    pieces.push_back(paths.installFolder);
    pieces.insert(pieces.end(), paths.links.begin(), paths.links.end());
    pieces.push_back(paths.startMenuFolder);
    pieces.push_back(paths.systemCopy);
    pieces.push_back(paths.systemIni);
    for (const auto& piece : pieces) {
        std::printf("  %-13s %s%s\n", PathExists(piece) ? "still there" : "gone", piece.c_str(),
                    piece == paths.systemCopy ? "  (the uninstaller runs from this copy)" : "");
    }
}

// The robot's walk through the uninstaller's windows.
bool Walk(const Arguments& args, const Process& uninstaller) {
    HWND dialog = WaitForDialog(
        uninstaller, [](HWND w) { return HasControl(w, IDC_QUESTION); }, kStartMs);
    if (dialog == nullptr) {
        std::printf("The confirmation dialog did not appear.\n");
        return false;
    }
    MoveMouseTo(nullptr);
    std::printf("\nConfirmation dialog \"%s\":\n  %s\n  [%s] [%s]\n", Text(dialog).c_str(),
                ControlText(dialog, IDC_QUESTION).c_str(), ControlText(dialog, IDOK).c_str(),
                ControlText(dialog, IDCANCEL).c_str());
    Shot(args, dialog, "1-dialog");

    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    MoveMouseTo(cancel);
    const bool warm = WaitUntil([&] { return LeftEdge(cancel) == kWarmLeft; }, kReactionMs);
    std::printf("The mouse on %s: %s\n", ControlText(dialog, IDCANCEL).c_str(),
                warm ? "warm edges drawn" : "no warm edges seen");
    Shot(args, dialog, "2-dialog-hover");
    MoveMouseTo(nullptr);

    PostMessageW(dialog, WM_SYSCOMMAND, 16, 0);
    HWND about = WaitForDialog(
        uninstaller, [](HWND w) { return HasControl(w, IDC_ABOUT_NAME); }, kReactionMs);
    if (about == nullptr) {
        std::printf("The about box did not appear.\n");
    } else {
        std::printf("\nAbout box \"%s\" (system menu, command 16):\n  %s\n  %s\n",
                    Text(about).c_str(), ControlText(about, IDC_ABOUT_NAME).c_str(),
                    ControlText(about, IDC_ABOUT_COPYRIGHT).c_str());
        Shot(args, about, "3-about");
        Click(about, IDOK);
        WaitUntil([&] { return !IsWindow(about); }, kReactionMs);
    }

    Click(dialog, IDOK);
    HWND box = WaitForMessageBox(uninstaller, kReactionMs, dialog);
    if (box == nullptr) {
        std::printf("确定 raised no message.\n");
        return false;
    }
    const MessageBoxView view = ReadMessageBox(box);
    std::printf("\n%s pressed; the message: %s\n", ControlText(dialog, IDOK).c_str(),
                view.text.c_str());
    Shot(args, box, "4-message");
    Click(box, IDOK);
    const auto exitCode = uninstaller.WaitForExit(kReactionMs);
    std::printf("The uninstaller %s.\n", exitCode ? "ended" : "is still running");
    return warm && about != nullptr && exitCode.has_value();
}

int Run(const Arguments& args) {
    std::string error;
    const auto text = ReadTextFile(args.sample + "\\" + kCustomizeIni);
    if (!text) {
        std::printf("No %s in %s\n", kCustomizeIni, args.sample.c_str());
        return 2;
    }
    // The system folder's copy is the uninstaller's local file; its names say what to lay out.
    const std::string systemIni = SystemFolder() + "\\" + kCustomizeIni;
    if (!WriteAnsiFile(systemIni, *text, &error)) {
        std::printf("%s\n", error.c_str());
        return 2;
    }
    const auto names = ReadPackageNames(systemIni, &error);
    if (!names) {
        std::printf("%s\n", error.c_str());
        return 2;
    }
    Placement placement;
    placement.installedIni = *text;
    placement.systemIni = *text;
    placement.sampleFolder = args.sample;
    placement.systemCopyFrom = args.uninstaller;
    if (!PlacePackage(*names, placement, SystemFolder(), &error)) {
        std::printf("%s\n", error.c_str());
        return 2;
    }
    const PackagePaths paths = PathsOf(*names, SystemFolder());
    std::printf("The sample package from %s, laid out as its installer would:\n",
                args.sample.c_str());
    ReportPieces(paths);

    std::printf("\nStarting %s\n", paths.systemCopy.c_str());
    auto uninstaller = Process::Start(Wide(paths.systemCopy), Wide(SystemFolder()), &error);
    if (!uninstaller) {
        std::printf("%s\n", error.c_str());
        return 2;
    }
    bool ok = true;
    if (args.interactive) {
        std::printf("Over to you: the uninstaller's window is on the screen.\n");
        std::fflush(stdout);
        WaitForSingleObject(uninstaller->Handle(), INFINITE);
    } else {
        ok = Walk(args, *uninstaller);
    }
    std::printf("\nWhat is left of the package:\n");
    ReportPieces(paths);
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace tq::e2e

int main(int argc, char** argv) {
    const auto args = tq::e2e::Parse(argc, argv);
    if (!args) {
        std::fprintf(stderr,
                     "usage: tq_uninstall_walk --uninstaller=PATH --sample=FOLDER --shots=FOLDER "
                     "[--interactive]\n");
        return 2;
    }
    return tq::e2e::Run(*args);
}
