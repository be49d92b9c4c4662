// The demonstration walk of `make run` without a display: goes through every page the installer
// has so far (welcome, printer name, sharing, connection type, and the progress page of a
// parallel installation while it runs and when it is done; then the welcome page once more with
// printers of the model installed), photographs each, reports what it shows, and ends the
// installer again. With --network it walks the network path instead: the TCP/IP port page's
// three steps, the printer search answered by the test network (scripts/testnet.sh) and an
// installation on the port of the printer found.
//   tq_walk.exe --installer=PATH --shots=FOLDER [--network]
//                                                    (inside a fresh prefix; UTF-8 report)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

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
        if (c.className == "SysIPAddress32") {
            const auto fields = IpFieldTexts(GetDlgItem(window, c.id));
            std::string address;
            bool blank = true;
            for (size_t i = 0; i < fields.size(); ++i) {
                address += (i == 0 ? "" : ".") + fields[i];
                blank = blank && fields[i].empty();
            }
            std::string state = c.visible ? "" : " (hidden)";
            if (!ControlEnabled(window, c.id)) state += " (disabled)";
            Say("  [" + std::to_string(c.id) + "] IP address" + state + ": " +
                (blank ? std::string("(empty)") : address));
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

// Watches the progress page until it reads 关闭 and says which status lines it showed, and when.
bool WatchToCompletion(const Process& installer, HWND page) {
    const ProgressWatch watch = WatchProgress(installer, page, 60000);
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
    return true;
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
    // The page shows its copy stage as soon as the first file is named.
    WaitUntil([&] { return !ControlText(page, IDC_PROGRESS_FILE).empty(); }, kReactionTimeoutMs,
              installer->Handle());
    Report(paths, page, "progress-running");

    if (!WatchToCompletion(*installer, page)) return false;
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

// The test network of scripts/testnet.sh: the agent of our maker answers as this printer.
constexpr char kTestPrinterName[] = "OFFICE-1";
constexpr BYTE kTestPrinterAddress[4] = {10, 77, 0, 2};
// The search reports a printer within milliseconds of its broadcast; a loaded machine may be
// slow to start the search thread and to draw the row.
constexpr DWORD kSearchTimeoutMs = 15000;

std::string Dotted(const BYTE (&address)[4]) {
    return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." +
           std::to_string(address[2]) + "." + std::to_string(address[3]);
}

// The TCP/IP port page shows step 1, 2 or 3: each has controls of its own.
bool ShowsTcpIpStep(HWND page, int step) {
    const int marker[] = {IDC_TCP_RAW, IDC_TCP_ADDRESS, IDC_TCP_PORT_NAME};
    for (int s = 1; s <= 3; ++s) {
        if (ControlVisible(page, marker[s - 1]) != (s == step)) return false;
    }
    return true;
}

bool ArriveAtStep(const Process& installer, HWND page, int step) {
    if (WaitUntil([&] { return ShowsTcpIpStep(page, step); }, kReactionTimeoutMs,
                  installer.Handle())) {
        return true;
    }
    Say("  step " + std::to_string(step) + " of the TCP/IP port page did not appear");
    return false;
}

// The row of the search list that names `printer`, or -1.
int RowOf(const std::optional<ListViewContents>& list, const std::string& printer) {
    if (!list) return -1;
    for (size_t i = 0; i < list->rows.size(); ++i) {
        if (!list->rows[i].empty() && list->rows[i][0] == printer) return static_cast<int>(i);
    }
    return -1;
}

// A fresh installer on the network path: 下一步 on the welcome, printer name and sharing pages
// as they are proposed, 网络打印机 on the connection type page; the TCP/IP port page's protocol
// (Raw, as proposed) and address steps; 查找, which the test network answers; the test printer's
// row and 确定; its address on step 2; step 3 with the port name; 下一步 and the installation on
// that port to its end; 关闭.
bool WalkNetwork(const RunPaths& paths) {
    Say("Network path, a fresh installer: welcome, printer name and sharing pages with 下一步 as "
        "proposed:");
    std::string error;
    auto installer = StartInstaller(paths, &error);
    if (!installer) {
        Say("  " + error);
        return false;
    }
    InstallChoices choices;
    choices.connection = IDC_CONN_NETWORK;
    HWND page = WalkToConnectionChoice(*installer, choices, &error);
    if (page == nullptr) {
        Say("  " + error);
        return false;
    }
    Say("Connection type page, 网络打印机 chosen:");
    Report(paths, page, "connection-network");

    Say("下一步: TCP/IP port page, step 1 (protocol):");
    Click(page, IDOK);
    page = Arrive(WaitForTcpIpPortPage(*installer), "TCP/IP port page");
    if (page == nullptr || !ArriveAtStep(*installer, page, 1)) return false;
    Report(paths, page, "tcpip-step1");

    Say("下一步: step 2 (address):");
    Click(page, IDOK);
    if (!ArriveAtStep(*installer, page, 2)) return false;
    Report(paths, page, "tcpip-step2");

    Say("查找: search dialog, answered by the test network:");
    Click(page, IDC_TCP_SEARCH);
    HWND search = Arrive(WaitForSearchDialog(*installer), "search dialog");
    if (search == nullptr) return false;
    HWND list = GetDlgItem(search, IDC_SEARCH_LIST);
    int row = -1;
    WaitUntil(
        [&] {
            row = RowOf(ReadListView(list), kTestPrinterName);
            return row >= 0 && !ControlText(search, IDC_SEARCH_LOCAL_ADDRESS).empty();
        },
        kSearchTimeoutMs, installer->Handle());
    if (row < 0) {
        Say(std::string("  no row of ") + kTestPrinterName + " within " +
            std::to_string(kSearchTimeoutMs / 1000) + " s");
    }
    Report(paths, search, "search");
    if (row < 0) return false;

    Say(std::string("The row of ") + kTestPrinterName + " and 确定: step 2 with its address:");
    ClickListRow(list, row);
    Click(search, IDOK);
    if (!WaitUntil([&] { return IsWindow(search) == FALSE; }, kReactionTimeoutMs,
                   installer->Handle())) {
        Say("  确定 did not close the search dialog");
        return false;
    }
    HWND address = GetDlgItem(page, IDC_TCP_ADDRESS);
    const std::vector<std::string> expected = {
        std::to_string(kTestPrinterAddress[0]), std::to_string(kTestPrinterAddress[1]),
        std::to_string(kTestPrinterAddress[2]), std::to_string(kTestPrinterAddress[3])};
    if (!WaitUntil([&] { return IpFieldTexts(address) == expected; }, kReactionTimeoutMs,
                   installer->Handle())) {
        Say("  the address field does not show " + Dotted(kTestPrinterAddress));
    }
    Report(paths, page, "tcpip-step2-found");

    Say("下一步: step 3 (the port to be added):");
    Click(page, IDOK);
    if (!ArriveAtStep(*installer, page, 3)) return false;
    Report(paths, page, "tcpip-step3");

    Say("下一步: progress page, the installation on that port:");
    Click(page, IDOK);
    page = Arrive(WaitForProgressPage(*installer), "progress page");
    if (page == nullptr || !WatchToCompletion(*installer, page)) return false;
    Say("Progress page, the installation done:");
    Report(paths, page, "progress-network-done");
    bool onPort = false;
    for (const QueueInfo& queue : ListQueues()) {
        Say("  queue: " + queue.name + " on port " + queue.port + ", driver " + queue.driver);
        onPort = onPort || queue.port == Dotted(kTestPrinterAddress);
    }
    if (!onPort) Say("  no queue on port " + Dotted(kTestPrinterAddress));
    Say("关闭:");
    EndInstaller(*installer, page);
    return onPort;
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
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--network") return WalkNetwork(*paths) ? 0 : 1;
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
