// Process entry of VNTAdminUninstall.exe: the dialogs' colours, then the confirmation dialog as
// the program's one window; the program ends when the dialog does. With /quiet the removal runs
// at once, with no window, and the exit code says how it went.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "uninstall/message_ids.h"
#include "platform/arguments.h"
#include "platform/dll_search.h"
#include "platform/win32/log_file_win32.h"
#include "platform/win32/profile_strings_win32.h"
#include "platform/win32/system_paths_win32.h"
#include "uninstall/quiet_run.h"
#include "uninstall/win32/confirm_dialog.h"
#include "uninstall/win32/dialog_colours_win32.h"
#include "uninstall/win32/uninstall_system_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // An elevated program must not load a library planted in the current directory.
    tq::NarrowDllSearchPath();
    InitCommonControls();
    const tq::uninstall::DialogColours colours;

    const tq::uninstall::UninstallCommandLine line =
        tq::uninstall::ParseUninstallCommandLine(tq::SplitProgramCommandLine(
            GetCommandLineA(), tq::Win32SystemPaths().ModuleFileName(),
            [](unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }));
    tq::Win32LogFile file;
    tq::Win32SystemErrors errors;
    tq::RunLog log(file, errors);
    tq::uninstall::UninstallProgram program{
        log,
        [instance] {
            char text[2048] = "";
            LoadStringA(instance, IDS_UNINSTALL_USAGE, text, sizeof(text));
            MessageBoxA(nullptr, text, "VNTAdminUninstall", MB_OK | MB_ICONINFORMATION);
        },
        [instance] {
            tq::uninstall::ConfirmDialog dialog(instance);
            dialog.Run();
        },
        [](const tq::uninstall::UninstallReport& report) {
            tq::Win32SystemPaths system;
            tq::Win32ProfileStrings profile;
            const tq::uninstall::CustomizePaths paths =
                tq::uninstall::ComputeCustomizePaths(system, profile);
            tq::uninstall::Win32UninstallSystem uninstall(nullptr);
            return tq::uninstall::RunUninstall(paths, uninstall, report);
        }};
    return tq::uninstall::RunUninstallProgram(line, program);
}
