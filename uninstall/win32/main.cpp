// Process entry of VNTAdminUninstall.exe: the dialogs' colours, then the confirmation dialog as
// the program's one window; the program ends when the dialog does.
#include <windows.h>
#include <commctrl.h>

#include "platform/dll_search.h"
#include "uninstall/win32/confirm_dialog.h"
#include "uninstall/win32/dialog_colours_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // An elevated program must not load a library planted in the current directory.
    tq::NarrowDllSearchPath();
    InitCommonControls();
    const tq::uninstall::DialogColours colours;
    tq::uninstall::ConfirmDialog dialog(instance);
    dialog.Run();
    return 0;
}
