// KestraReg.exe: the registration program the installer starts after a successful
// installation, from "<drive>\Program Files\Kestra\<printer name>\Reg\". This stand-in shows
// one message box saying what it is (the caption is what a test looks for) and ends with 0
// when it is answered. It collects and sends nothing.
#include <windows.h>

#include "helpers/kestra_reg/kestra_reg_ids.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    char caption[128] = "";
    char text[512] = "";
    // Texts are loaded in the system code page; a missing string leaves its buffer empty.
    LoadStringA(instance, IDS_REG_CAPTION, caption, sizeof(caption));
    LoadStringA(instance, IDS_REG_TEXT, text, sizeof(text));
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONINFORMATION);
    return 0;
}
