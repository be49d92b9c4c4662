#include "platform/win32/processes_win32.h"

#include <windows.h>

#include <vector>

#include "platform/win32/owners.h"

namespace tq {

bool Win32Processes::StartProgram(const std::string& commandLine, int showCommand) {
    // What WinExec does, without its 16-bit heritage: the program is the command line's first
    // (quoted) token. CreateProcessA may write into the command line, so it gets a copy.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    KernelHandle processHandle(process.hProcess);
    KernelHandle threadHandle(process.hThread);
    return true;
}

void Win32Processes::Sleep(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

}  // namespace tq
