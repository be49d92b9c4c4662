// The network-tools package as VNTAdminUninstall.exe finds it on a computer, laid out in a
// scenario's prefix: the install folder (drive root + Install_Path) with the package's files and
// its customize.ini, the program group under the all-users Start menu, the uninstaller's copy
// and a customize.ini in the system folder, and an uninstaller with its local customize.ini.
// Also the robot's hands for the uninstaller's window: a tool window to be found by title, the
// mouse resting on a control, and the colour of a pixel on the screen.
//
// Paths and names are UTF-8; customize.ini files are written in the system code page, as the
// package's own installer writes them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/e2e/robot.h"

namespace tq::e2e {

inline constexpr char kUninstallerName[] = "VNTAdminUninstall.exe";
inline constexpr char kCustomizeIni[] = "customize.ini";

// What a customize.ini names.
struct PackageNames {
    std::string installPath;               // [INSTALL] Install_Path
    std::string uninstallFile;             // [INSTALL] Uninstall_File
    std::vector<std::string> folderFiles;  // the nine files of the install folder
    std::string startMenuFolder;           // [STARTMENU] DIR_Name
    std::vector<std::string> links;        // the four shortcuts, without ".lnk"
};

// The names as the file at `iniPath` (already in place, in the system code page) gives them.
// Every key must be there: a demo package says what it holds. nullopt (and `error`) otherwise.
std::optional<PackageNames> ReadPackageNames(std::string_view iniPath, std::string* error);

// Where the package's pieces lie in this prefix.
struct PackagePaths {
    std::string installFolder;             // C:\ + Install_Path
    std::string installedIni;              // installFolder\customize.ini
    std::vector<std::string> folderFiles;  // the nine files, full paths
    std::string startMenuFolder;           // "Common Programs" + DIR_Name
    std::vector<std::string> links;        // the four .lnk files
    std::string systemCopy;                // system folder\Uninstall_File
    std::string systemIni;                 // system folder\customize.ini
};
// `systemFolder`: the system folder as the uninstaller sees it (syswow64 for a 32-bit one).
PackagePaths PathsOf(const PackageNames& names, std::string_view systemFolder);

struct Placement {
    std::string installedIni;               // text of the install folder's customize.ini
    std::string systemIni;                  // text of the system folder's customize.ini
    std::vector<std::string> unknownFiles;  // more files in the install folder
    std::vector<std::string> unknownLinks;  // more shortcuts in the program group (no ".lnk")
    std::vector<std::string> readOnly;      // names of folder files made read-only
    // Placeholder files are copied from here when it holds one of the name; otherwise each is
    // written with a line naming it.
    std::string sampleFolder;
    // Copied to the system folder as Uninstall_File; empty: a placeholder file.
    std::wstring systemCopyFrom;
};
// Lays the package out, its system-folder files in `systemFolder`; false (and `error`) on the
// first failure.
bool PlacePackage(const PackageNames& names, const Placement& placement,
                  std::string_view systemFolder, std::string* error);

// Copies the uninstaller to `folder`\`name` with `localIni` beside it (nothing when empty).
// Returns the copy's path.
std::optional<std::string> PlaceUninstaller(const std::wstring& program, std::string_view folder,
                                            std::string_view name, std::string_view localIni,
                                            std::string* error);

bool WriteAnsiFile(std::string_view path, std::string_view utf8Text, std::string* error);
// The UTF-8 text of a file as it stands.
std::optional<std::string> ReadTextFile(std::string_view path);
// Those of `paths` that exist.
std::vector<std::string> Existing(const std::vector<std::string>& paths);

// The all-users Start-menu Programs folder ("Common Programs" of the machine's Shell Folders).
std::string CommonProgramsFolder();

// A top-level window titled `title` on a thread of the robot, as a running tool would show it;
// closed when the owner goes (or by Close).
class TitledWindow {
  public:
    explicit TitledWindow(std::string_view title);
    ~TitledWindow();
    TitledWindow(const TitledWindow&) = delete;
    TitledWindow& operator=(const TitledWindow&) = delete;
    HWND Window() const { return window_; }
    void Close();

  private:
    std::thread thread_;
    HWND window_ = nullptr;
};

// Moves the mouse pointer to the middle of `window` (a control of another process), as a
// person would; to a corner of the screen with nullptr.
bool MoveMouseTo(HWND window);
// The colour on the screen at client point (x, y) of `window`.
std::optional<COLORREF> ScreenPixel(HWND window, int x, int y);

}  // namespace tq::e2e
