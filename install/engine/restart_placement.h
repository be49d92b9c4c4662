// The driver files that wait for a restart: after it (Windows 2000 and later, before the
// spooler starts again) or right after the Windows 9x spooler process has been ended, the main
// driver files go straight into the spooler's folders, where the spooler held them open before.
#pragma once

#include "platform/file_system.h"
#include "platform/system_paths.h"

namespace tq {

// Copies the platform's post-restart files from the medium, replacing what is there (a file in
// use at the next restart, as CopyReplacing does). 1 when every file was copied or the class
// has none; 0 when the installer's own path or the destination folder cannot be read, at the
// first missing source file (silently; the files copied before it stay), and when a copy
// failed (the others are still copied). No progress page, no pause points, no log.
int PlaceDriverFilesAfterRestart(SystemPaths& paths, FileSystem& files, int platformClass,
                                 int processorClass);

}  // namespace tq
