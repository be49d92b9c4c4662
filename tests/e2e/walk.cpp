// The demonstration walk of `make run` without a display: goes through every page the installer
// has so far (welcome, printer name, sharing, connection type, and the progress page of a
// parallel installation while it runs and when it is done; then the welcome page once more with
// printers of the model installed), photographs each, reports what it shows, and ends the
// installer again.
//   tq_walk.exe --installer=PATH --shots=FOLDER      (inside a fresh prefix; UTF-8 report)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "tests/e2e/installer.h"
#include "tests/e2e/robot.h"
#include "tests/e2e/spooler_setup.h"

namespace tq::e2e {
namespace {

void Say(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string Indented(std::string text, const std::string& indent) {
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        text.insert(at + 1, indent);
    }
    return text;
}

void Report(const RunPaths& paths, HWND window, const std::string& shot) {
    Say("  caption: " + Text(window));
    for (const ControlView& c : ReadControls(window)) {
        if (c.className == "SysListView32") {
            if (!c.visible) {
                Say("  [" + std::to_string(c.id) + "] list (hidden)");
                continue;
            }
            const auto list = ReadListView(GetDlgItem(window, c.id));
            if (!list) {
                Say("  [" + std::to_string(c.id) + "] list: cannot be read");
                continue;
            }
            std::string header;
            for (const auto& column : list->columns)
                header += (header.empty() ? "" : " | ") + column;
            Say("  [" + std::to_string(c.id) + "] list: " + header);
            for (const auto& row : list->rows) {
                std::string line;
                for (const auto& cell : row) line += (line.empty() ? "" : " | ") + cell;
                Say("        " + line);
            }
            continue;
        }
        const LONG_PTR style = Style(GetDlgItem(window, c.id));
        if (c.className == "msctls_progress32") {
            DWORD_PTR position = 0;
            SendMessageTimeoutW(GetDlgItem(window, c.id), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000,
                                &position);
            Say("  [" + std::to_string(c.id) + "] progress bar" + (c.visible ? "" : " (hidden)") +
                ": " + std::to_string(position) + "%");
            continue;
        }
        if (c.className == "Static" &&
            ((style & SS_TYPEMASK) == SS_BITMAP || (style & SS_TYPEMASK) == SS_ICON)) {
            Say("  [" + std::to_string(c.id) + "] picture");  // its text is the resource id
            continue;
        }
        if (c.text.empty() && c.className == "Static") continue;  // lines left empty
        std::string state = c.visible ? "" : " (hidden)";
        if (!ControlEnabled(window, c.id)) state += " (disabled)";
        std::string text = Indented(c.text, "        ");
        if (c.className == "Button") {
            switch (style & BS_TYPEMASK) {
                case BS_AUTORADIOBUTTON:
                case BS_RADIOBUTTON:
                    text = (ControlChecked(window, c.id) ? "(*) " : "( ) ") + text;
                    break;
                case BS_AUTOCHECKBOX:
                case BS_CHECKBOX:
                    text = (ControlChecked(window, c.id) ? "[x] " : "[ ] ") + text;
                    break;
                default:
                    break;
            }
        } else if (c.className == "Edit") {
            text = "\"" + text + "\"";
        }
        Say("  [" + std::to_string(c.id) + "] " + c.className + state + ": " + text);
    }
    std::string error;
    if (Shoot(paths, window, shot, &error)) {
        Say("  picture: " + shot + ".png");
    } else {
        Say("  picture: none, " + error);
    }
}

// Ends a page through its 取消/关闭 button, answering 是 when it asks.
void EndInstaller(const Process& installer, HWND page) {
    Click(page, IDCANCEL);
    HWND box = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : TopLevelWindows(installer.Id())) {
                if (w != page && IsMessageBox(w)) box = w;
            }
            return box != nullptr || !installer.Running();
        },
        kReactionTimeoutMs, installer.Handle());
    if (box != nullptr) {
        Say("  " + Text(GetDlgItem(page, IDCANCEL)) + " asks: " + ReadMessageBox(box).text);
        Click(box, IDYES);
    }
    const auto code = installer.WaitForExit(kReactionTimeoutMs);
    Say(code ? "  installer ended, exit code " + std::to_string(*code)
             : std::string("  installer did not end"));
}

// Waits for the page a move leads to; says so when it does not come.
HWND Arrive(HWND page, const char* what) {
    if (page == nullptr) Say(std::string("  no ") + what + " appeared");
    return page;
}

// A fresh installer from the plain welcome page through the pages after it, with 下一步 on
// each: the printer name page as it opens, the sharing page with 共享为 chosen, the connection
// type page with 带并行电缆 chosen, and the progress page, photographed while it copies and when
// it is done. Ends the installer with 关闭.
bool WalkPages(const RunPaths& paths) {
    Say("Welcome page, no printer of the model installed:");
    std::string error;
    auto installer = StartInstaller(paths, &error);
    if (!installer) {
        Say("  " + error);
        return false;
    }
    HWND page = Arrive(WaitForWelcomePage(*installer), "welcome page");
    if (page == nullptr) return false;
    Report(paths, page, "welcome-plain");

    Say("下一步: printer name page:");
    Click(page, IDOK);
    page = Arrive(WaitForPrinterNamePage(*installer), "printer name page");
    if (page == nullptr) return false;
    Report(paths, page, "printer-name");

    Say("下一步: sharing page, 共享为 chosen:");
    Click(page, IDOK);
    page = Arrive(WaitForSharingPage(*installer), "sharing page");
    if (page == nullptr) return false;
    Click(page, IDC_SHARE_AS);
    if (!WaitUntil([&] { return ControlEnabled(page, IDC_SHARE_NAME); }, kReactionTimeoutMs,
                   installer->Handle())) {
        Say("  共享为 did not enable the share name field");
    }
    Report(paths, page, "sharing");

    Say("下一步: connection type page, 带并行电缆 chosen:");
    Click(page, IDOK);
    page = Arrive(WaitForConnectionTypePage(*installer), "connection type page");
    if (page == nullptr) return false;
    Click(page, IDC_CONN_PARALLEL);
    if (!WaitUntil([&] { return ControlChecked(page, IDC_CONN_PARALLEL); }, kReactionTimeoutMs,
                   installer->Handle())) {
        Say("  带并行电缆 could not be chosen");
    }
    Report(paths, page, "connection-type");

    Say("下一步: progress page, the installation running:");
    Click(page, IDOK);
    page = Arrive(WaitForProgressPage(*installer), "progress page");
    if (page == nullptr) return false;
    // Copying waits a few seconds for SysFileCopier.exe: the page shows its copy stage then.
    WaitUntil([&] { return !ControlText(page, IDC_PROGRESS_FILE).empty(); }, kReactionTimeoutMs,
              installer->Handle());
    Report(paths, page, "progress-running");

    const ProgressWatch watch = WatchProgress(*installer, page, 60000);
    std::string stages;
    for (const auto& s : watch.statuses) {
        char at[32];
        std::snprintf(at, sizeof(at), " (%.1f s)", s.atMs / 1000.0);
        stages += (stages.empty() ? "" : ", ") + s.text + at;
    }
    Say("  status lines seen: " + stages);
    if (!watch.finished) {
        Say(watch.raised ? "  the installer shows: " + Text(watch.raised) + " / " +
                               ReadMessageBox(watch.raised).text
                         : std::string("  the installation did not finish"));
        return false;
    }
    Say("Progress page, the installation done:");
    Report(paths, page, "progress-done");
    Say("关闭:");
    EndInstaller(*installer, page);
    return true;
}

bool WalkWelcome(const RunPaths& paths, const char* title, const char* shot) {
    Say(title);
    std::string error;
    auto installer = StartInstaller(paths, &error);
    if (!installer) {
        Say("  " + error);
        return false;
    }
    HWND page = WaitForWelcomePage(*installer);
    if (page == nullptr) {
        Say("  no welcome page appeared");
        return false;
    }
    Report(paths, page, shot);
    EndInstaller(*installer, page);
    return true;
}

}  // namespace
}  // namespace tq::e2e

int main(int argc, char** argv) {
    using namespace tq::e2e;
    std::string error;
    const auto paths = ParseRunPaths(argc, argv, &error);
    if (!paths) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    bool ok = WalkPages(*paths);

    // The queue just installed, a second one of the model on a port named like a TCP/IP port,
    // and one of another driver: the page lists the model's two. (The model's driver is the
    // installed one; adding it again would replace its files by placeholders.)
    const bool arranged = AddDriver("Contoso Laser 500", &error) &&
                          AddQueue("Contoso Laser", "FILE:", "Contoso Laser 500", &error) &&
                          AddQueue("财务部 TQ8240", "192.168.0.20", kModelDriver, &error);
    if (!arranged) {
        Say("cannot add the printers for the second view: " + error);
        return 1;
    }
    ok = WalkWelcome(*paths,
                     "Welcome page, printers of the model installed:", "welcome-installed") &&
         ok;
    return ok ? 0 : 1;
}
