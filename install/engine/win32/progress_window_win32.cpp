#include "install/engine/win32/progress_window_win32.h"

#include "platform/text.h"

namespace tq {

char currentFileName[kCurrentFileNameSize] = "";

void Win32ProgressWindow::Post(int stage, long argument) {
    PostMessageA(window_, kProgressMessage, static_cast<WPARAM>(stage),
                 static_cast<LPARAM>(argument));
}

void Win32ProgressWindow::WaitIfPaused() {
    // Testing an auto-reset event resets it; one pause request holds the engine once.
    if (WaitForSingleObject(events_.pauseRequest.get(), 0) == WAIT_OBJECT_0) {
        WaitForSingleObject(events_.resume.get(), INFINITE);
    }
}

void Win32ProgressWindow::SetCurrentFileName(const std::string& path) {
    BoundedCopy(currentFileName, path);
}

void Win32ProgressWindow::ShowOwnedMessage(const std::string& text) {
    MessageBoxA(window_, text.c_str(), nullptr, MB_OK);
}

std::string Win32ProgressWindow::LoadText(int stringId) {
    char buffer[2048];
    const int n = LoadStringA(resources_, static_cast<UINT>(stringId), buffer, sizeof(buffer));
    return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

}  // namespace tq
