// The installer's records in the registry and in the Windows folder: the resume marker and the
// uninstaller's value in the machine-wide Run key, the uninstall entry, the language monitor's
// key, and the Windows 9x preparations that make the hardware wizard find the driver afresh.
// Every operation reports through its result or not at all; none shows a message.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "platform/system_paths.h"

namespace tq {

// The machine-wide keys the installer writes its records under (HKLM), and the remover reads.
inline constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunOnceKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\UnInstall";

// UpdateResumeMarker modes.
enum : int {
    ResumeMarkerDelete = 0,
    ResumeMarkerSet = 1,
    ResumeMarkerQuery = 2,
};

// The resume marker: "Kestra TQ8240 SeriesInstall" in HKLM ...\CurrentVersion\Run, holding this
// program's path. On Vista and later (platformClass 5) it is set a second time in HKLM
// ...\CurrentVersion\RunOnce, named "!Kestra TQ8240 SeriesInstall": Windows does not start a
// program that asks for elevation from Run at log-on, but does start it from RunOnce (with the
// elevation prompt); the "!" makes Windows delete that value only after the program has run.
// The data is the path quoted; a marker holding it bare (as older runs wrote it) names the
// program too. Query: 1 when either names this program, 0 absent or not readable. Set: 1 when
// present or written; 0 when the quoted path does not fit the 260-byte field. Delete: both; 1
// when deleted or absent. Any other mode: 1, nothing changed. 0 when the program's path or the
// Run key is not available.
int UpdateResumeMarker(Registry& registry, SystemPaths& paths, int mode, int platformClass);
// The same for the marker naming `program` rather than the running one: the restart points the
// marker at the installer's copy that the resumed run starts from.
int UpdateResumeMarkerFor(Registry& registry, const std::string& program, int mode,
                          int platformClass);

// Deletes the Run value printerName + "UnInstall". 1 when none remains, 0 on failure.
int DeleteUninstallerRunValue(Registry& registry, std::string_view printerName);

// The uninstall entry HKLM ...\CurrentVersion\UnInstall\<printerName>: DisplayIcon,
// DisplayName, UnInstallString, and for deployment tools QuietUninstallString, DisplayVersion,
// Publisher, InstallLocation (the program folder), EstimatedSize (a DWORD in KB), NoModify and
// NoRepair. 1 when every value was written, else 0.
int RegisterUninstallEntry(Registry& registry, SystemPaths& paths, std::string_view printerName,
                           std::uint32_t estimatedKilobytes);

// The language monitor's key under HKLM ...\Control\Print\Monitors: deleted before a restart
// (1 when it was there and is gone), created again after it (1 only when this call created it
// and wrote its "Driver" value; 0 when it already existed).
int DeleteMonitorKey(Registry& registry);
int CreateMonitorKey(Registry& registry);

// What RedirectSetupSource saved, kept until it is written back.
struct SetupSourceSaved {
    static constexpr std::size_t kSize = 512;
    bool sourcePathSaved = false;
    bool sourcePathAdded = false;  // there was no value: the redirect made it, the write-back deletes it
    char sourcePath[kSize] = {};
    bool installLocationSaved = false;
    bool installLocationAdded = false;
    char entryName[2] = {};  // the install-location entry: one letter of "MRUList"
    char installLocation[kSize] = {};
};

// Windows 9x: redirect = 1 saves the setup source path and the most recent install location and
// points both at the system folder; redirect = 0 writes back what the last redirect saved and
// deletes a value the redirect made where there was none.
void RedirectSetupSource(Registry& registry, SystemPaths& paths, SetupSourceSaved& saved,
                         int redirect);

// Windows 9x: removes the printer's USB enumeration keys (outcomes not reported).
void DeleteUsbEnumKeys(Registry& registry);

// Windows 9x: deletes the driver database files in <Windows>\inf (outcomes not reported).
// `deleteFile` is DeleteFileA.
using DeleteFileFunction = std::function<bool(const std::string& path)>;
void DeleteInfDatabase(SystemPaths& paths, const DeleteFileFunction& deleteFile);

}  // namespace tq
