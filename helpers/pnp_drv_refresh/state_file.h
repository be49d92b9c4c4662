// What PnpDrvRefresh.exe reads and writes, as plain data and rules without <windows.h>: the
// host tests check them against the installer's side and pin the command line's split.
#pragma once

#include <string_view>

namespace tq::pnp_drv_refresh {

// The state file, below the root of the Windows folder's drive ("C:\"): in the maker's folder,
// which the program creates when it is missing.
inline constexpr char kProgramFilesFolder[] = "Program Files";
inline constexpr char kMakerFolder[] = "Program Files\\Kestra";
inline constexpr char kStateFile[] = "Program Files\\Kestra\\SetupState.ini";
inline constexpr char kSection[] = "UpdateDriverForPlugAndPlayDevices";
inline constexpr char kResultsKey[] = "Results";      // 1: the driver was installed; else 0
inline constexpr char kLastErrorKey[] = "LastError";  // GetLastError after a failed update, hex

// The exit codes (the installer does not read them).
enum ExitCode : int {
    kUpdated = 0,         // Results = 1
    kNotUpdated = 1,      // Results = 0: the update answered FALSE or newdev.dll had no export
    kBadCommandLine = 2,  // Results = 0: no "<inf path>;<hardware id>"
    kNoStateFile = 3,     // the state file could not be written
};

struct Request {
    std::string_view infPath;
    std::string_view hardwareId;
};

// The whole command line is "<inf path>;<hardware id>", with no program name in front. It is
// split at its last semicolon: a folder of the path may hold one, a hardware id never does, and
// in code page 936 the byte never occurs inside a double-byte character. Blanks around the
// whole line are dropped. False when either part is empty.
constexpr bool SplitCommandLine(std::string_view line, Request& out) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    const std::size_t semicolon = line.rfind(';');
    if (semicolon == std::string_view::npos) return false;
    // No substr: its range check would link the C++ exception machinery into the helper.
    out.infPath = std::string_view(line.data(), semicolon);
    out.hardwareId = std::string_view(line.data() + semicolon + 1, line.size() - semicolon - 1);
    return !out.infPath.empty() && !out.hardwareId.empty();
}

}  // namespace tq::pnp_drv_refresh
