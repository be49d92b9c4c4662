// tq_e2e_probe.exe: a program for scenarios to plant where the installer may start something
// (the registration program's place, C:\Program.exe). It shows one message box captioned
// kProbeCaption whose text is its own path and command line, so the robot can tell which copy
// was started and how, and ends with 0 when the box is answered.
#include <windows.h>

#include <string>

#include "tests/e2e/probe.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t path[MAX_PATH * 2] = L"";
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring text(path, n < MAX_PATH * 2 ? n : 0);
    text += L"\n";
    text += GetCommandLineW();
    MessageBoxW(nullptr, text.c_str(), tq::e2e::kProbeCaptionW, MB_OK);
    return 0;
}
