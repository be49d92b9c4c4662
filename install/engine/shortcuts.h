// The printer's program group in the Start menu of the job's ProgramGroupOwner: the status
// monitor, the driver's help file and the driver uninstaller.
#pragma once

#include "install/engine/wizard_settings.h"
#include "install/engine/progress.h"
#include "platform/registry.h"
#include "platform/shell_links.h"
#include "platform/system_paths.h"

namespace tq {

// Where the Start menu's Programs folders are named: "Programs" under HKCU, "Common Programs"
// under HKLM.
inline constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Makes <Programs>\<printerName>\ with the three shortcuts, in this order, each named and
// described by its string-table text (loaded through the progress page): status monitor, help
// file, uninstaller. <Programs> is the Shell Folders value "Programs" of HKCU, or for all users
// "Common Programs" of HKLM. Posts (StageShortcuts, 1) four times and removes the printer's
// uninstaller Run value between the second and the third shortcut. 1 on success; 0 when the
// Shell Folders key cannot be read, the all-users value is missing or empty, a link object or
// its persist-file interface is missing, or the job has no progress page to load the texts
// from. Shortcuts made before a failure stay.
int CreateProgramShortcuts(InstallJob& job, const WizardSettings& settings, Registry& registry,
                           SystemPaths& paths, ShellLinks& links);

}  // namespace tq
