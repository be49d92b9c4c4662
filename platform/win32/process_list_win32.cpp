#include "platform/win32/process_list_win32.h"

#include <windows.h>
#include <tlhelp32.h>

#include "platform/text.h"
#include "platform/win32/owners.h"

namespace tq {

// The ANSI entry; Windows 9x checks dwSize against the 32-bit layout of 296 bytes.
static_assert(sizeof(void*) != 4 || sizeof(PROCESSENTRY32) == 296, "PROCESSENTRY32 of the A form");

std::optional<std::vector<ProcessEntry>> Win32ProcessList::Snapshot() {
    const HANDLE raw = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (raw == INVALID_HANDLE_VALUE) return std::nullopt;
    KernelHandle snapshot(raw);
    std::vector<ProcessEntry> processes;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        processes.push_back({entry.th32ProcessID, std::string(FieldText(entry.szExeFile))});
        entry.dwSize = sizeof(entry);
    }
    return processes;
}

bool Win32ProcessList::TerminateWithOwnExitCode(std::uint32_t processId) {
    // Reading the exit code needs the query right besides the terminate right on the NT family
    // (and Wine); Windows 9x checks neither.
    KernelHandle process(
        OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (process.get() == nullptr) return false;
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.get(), &exitCode)) return false;
    return TerminateProcess(process.get(), exitCode) != FALSE;
}

}  // namespace tq
