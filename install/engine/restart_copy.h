// The installer that the restart brings back. Windows starts it elevated from the resume marker,
// and it places driver files that the spooler loads as SYSTEM: a medium that a user can write (a
// USB stick, a share, C:\Temp) could be swapped while the computer restarts. So before the
// restart the installer copies itself and every file a run reads beside it into a folder only
// administrators write, under Program Files, and the marker names that copy; the resumed run
// then finds its "medium" there.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/system_paths.h"

namespace tq {

// The name the copy of the installer goes under, whatever the download was called.
inline constexpr char kInstallerFileName[] = "TQ82Ins.exe";

// "<drive>\Program Files\Kestra\<model>\Restart", no trailing backslash; empty when the Windows
// folder is too short to name a drive.
std::string ResumeFolderOf(std::string_view windowsDirectory);

// Every file an installation on this platform reads from the installer's folder, as a path
// below it ("Driver\Vista\T8242dr.dll", "SetupNT.dll"), each once: the copy stages' sources, the
// helper libraries and programs, the files placed after the restart.
std::vector<std::string> FilesOfResumedRun(int platformClass, int processorClass);

// Copies the running installer (as kInstallerFileName) and FilesOfResumedRun into
// ResumeFolderOf, making the folders, replacing what an earlier restart left; a file the medium
// lacks is deleted from the copy too, so that the resumed run meets the medium as it is now.
// Returns the copy's path, or empty when a folder cannot be made, a path would not fit 260
// bytes, or a copy fails. An installer already running from that folder is its own copy.
std::string CopyForResumedRun(SystemPaths& paths, FileSystem& files, int platformClass,
                              int processorClass);

}  // namespace tq
