// The two copy stages of an installation: the driver set into the printer's program folder
// (staging), then into the folders where the spooler and Windows expect it (placement). The
// installation thread calls StageDriverFiles, then PlaceDriverFiles, and stops at a 0.
// What is copied from where to where is the data of file_sets.h.
#pragma once

#include <string>

#include "install/engine/wizard_settings.h"
#include "install/engine/progress.h"
#include "platform/file_system.h"
#include "platform/processes.h"
#include "platform/setup_libraries.h"
#include "platform/system_paths.h"

namespace tq {

// The operating-system services the copy stages use.
struct CopyServices {
    SystemPaths& paths;
    FileSystem& files;
    Processes& processes;
    SetupLibraries& libraries;
};

// Creates "<drive>\Program Files\Kestra\<printerName>" with its Driver and Reg folders and
// copies the platform's staging set there, the uninstaller last. 1 on success; 0 when the
// installer's path or the Windows folder cannot be read, a folder cannot be created, a path
// would not fit 260 bytes, a source file that must exist is missing (after the message), or
// such a file cannot be copied (CopyReplacing).
int StageDriverFiles(InstallJob& job, const WizardSettings& settings, const CopyServices& services);

// Copies the platform's set into the spooler's driver folder (and its "3" folder), the system
// folder and, on Windows 9x, the INF and system-driver folders; on the NT family has SetupNT.dll
// install the setup information file from the program folder. 1 on success; 0 as above, when
// CopyInf refuses on Windows 2000 or XP, and when SysFileCopier.exe (64-bit systems) does not
// start, does not end within 4 s or leaves one of its files out of the real system folder.
int PlaceDriverFiles(InstallJob& job, const WizardSettings& settings, const CopyServices& services);

// What the two copy stages put on the disk for this platform, in KB rounded up, counted from
// the medium's files (a file missing there counts nothing): the uninstall entry's EstimatedSize.
std::uint32_t InstalledKilobytes(const InstallJob& job, const CopyServices& services);

// 1 when `path` matches a file. When it does not and both `suffix` and a job with a progress
// page are given, `path` + `suffix` is shown in a message box owned by the page.
int CheckSourceFile(FileSystem& files, const std::string& path, const char* suffix,
                    InstallJob* job);

// Copies `source` to `folder` + `name` (`folder` ends in a backslash), replacing what is there;
// a destination that refuses (read-only) has its attributes reset and gets one more try. One
// that still refuses because it is in use gets the new file beside it as `name` + ".new", which
// replaces it when Windows restarts; with a job, that is counted in filesAtRestart and logged.
// The destination goes into currentFileName first. 1 when copied or replaced at the restart; 0
// when the copy failed otherwise or the replacement could not be recorded (logged with the
// system's error, when there is a job).
int CopyReplacing(FileSystem& files, const std::string& source, const std::string& folder,
                  const std::string& name, InstallJob* job);

}  // namespace tq
