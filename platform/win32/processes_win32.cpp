#include "platform/win32/processes_win32.h"

#include <windows.h>

#include <vector>

#include "platform/win32/owners.h"

namespace tq {

namespace {

// What WinExec does, without its 16-bit heritage: the program is the command line's first
// (quoted) token. CreateProcessA may write into the command line, so it gets a copy.
bool Start(const std::string& commandLine, int showCommand, PROCESS_INFORMATION& process) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process) != FALSE;
}

}  // namespace

bool Win32Processes::StartProgram(const std::string& commandLine, int showCommand) {
    PROCESS_INFORMATION process{};
    if (!Start(commandLine, showCommand, process)) return false;
    KernelHandle processHandle(process.hProcess);
    KernelHandle threadHandle(process.hThread);
    return true;
}

ProgramRun Win32Processes::RunAndWait(const std::string& commandLine, int showCommand,
                                      unsigned limitMs) {
    PROCESS_INFORMATION process{};
    if (!Start(commandLine, showCommand, process)) {
        return {ProgramRun::NotStarted, static_cast<std::uint32_t>(GetLastError())};
    }
    KernelHandle processHandle(process.hProcess);
    KernelHandle threadHandle(process.hThread);
    if (WaitForSingleObject(processHandle.get(), limitMs) != WAIT_OBJECT_0) {
        return {ProgramRun::TimedOut, 0};
    }
    // An ended process always has its code; the sentinel is never left in practice.
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeProcess(processHandle.get(), &exitCode);
    return {ProgramRun::Ended, static_cast<std::uint32_t>(exitCode)};
}

}  // namespace tq
