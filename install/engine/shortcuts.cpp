#include "install/engine/shortcuts.h"

#include <string>

#include "install/system/folders.h"
#include "install/res/resource.h"
#include "install/system/platform_class.h"
#include "install/system/registry_records.h"
#include "platform/text.h"

namespace tq {

namespace {

constexpr std::size_t kProgramsSize = 512;

std::string HelpTarget(int platformClass, const std::string& programFolder) {
    if (platformClass == Platform9x) return programFolder + "\\Driver\\T8249UI.hlp";
    if (platformClass >= Platform2000 && platformClass <= PlatformVista) {
        return programFolder + "\\Driver\\T8242UI.chm";
    }
    return programFolder;  // no help file on the other platforms
}

}  // namespace

int CreateProgramShortcuts(InstallJob& job, const WizardSettings& settings, Registry& registry,
                           SystemPaths& paths, ShellLinks& links) {
    ProgressWindow* progress = job.progress;
    if (progress == nullptr) return 0;  // the link names are texts of the page's string table
    const int platformClass = job.platformClass;
    progress->WaitIfPaused();

    const std::string_view printerName = FieldText(settings.printerName);
    const std::string programFolder = ProgramFolderOf(paths.WindowsDirectory(), printerName);

    char programs[kProgramsSize] = {};
    {
        const bool allUsers = job.programGroup == ProgramGroupOwner::AllUsers;
        KeyOpening shellFolders =
            registry.OpenKey(allUsers ? RegistryRoot::LocalMachine : RegistryRoot::CurrentUser,
                             kShellFoldersKey, kKeyQueryValue);
        if (!shellFolders.key) return 0;
        const char* const value = allUsers ? "Common Programs" : "Programs";
        const long read = shellFolders.key->QueryString(value, programs, sizeof(programs));
        // The user's missing value goes unnoticed: the group then lands in \<printerName> on the
        // current drive. A run for all users has nobody to notice that: it fails.
        if (allUsers && (read != kRegOk || programs[0] == '\0')) {
            LogLine(job, std::string("no \"") + value + "\" folder in the Shell Folders key");
            return 0;
        }
    }
    std::string group = std::string(FieldText(programs)) + "\\" + std::string(printerName);
    links.CreateFolder(group);  // an existing folder of that name is used as it is
    group += "\\";

    // A failed save goes unnoticed; a link object that cannot be made, or cannot be saved for
    // want of its persist-file interface, ends the operation.
    const auto make = [&](int textId, const std::string& target) {
        const std::string name = progress->LoadText(textId);
        const ShortcutOutcome outcome = links.CreateShortcut(group + name + ".lnk", target, name);
        return outcome == ShortcutOutcome::Saved || outcome == ShortcutOutcome::SaveFailed;
    };

    // The status monitor went to the system folder as this program sees it. A 32-bit installer
    // on 64-bit Windows wrote it into syswow64, and the link must name that folder: Explorer,
    // a 64-bit program, would look for it in the real system32.
    const std::string wow64System = paths.Wow64SystemDirectory();
    const std::string monitorFolder = wow64System.empty() ? paths.SystemDirectory() : wow64System;
    progress->WaitIfPaused();
    if (!make(IDS_LINK_STATUS_MONITOR, monitorFolder + "\\T824XSM.exe")) return 0;
    progress->Post(StageShortcuts, 1);

    progress->WaitIfPaused();
    if (!make(IDS_LINK_HELP, HelpTarget(platformClass, programFolder))) return 0;
    progress->Post(StageShortcuts, 1);

    // A Run value of the uninstaller for this printer name goes; whether it did is not ours to
    // report.
    progress->WaitIfPaused();
    progress->Post(StageShortcuts, 1);
    DeleteUninstallerRunValue(registry, printerName);

    progress->WaitIfPaused();
    if (!make(IDS_LINK_UNINSTALL, programFolder + "\\T824UIS.exe")) return 0;
    progress->Post(StageShortcuts, 1);
    return 1;
}

}  // namespace tq
