// The running processes, as a snapshot, and ending one of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tq {

struct ProcessEntry {
    std::uint32_t processId = 0;
    // szExeFile as the system reports it: Windows 9x gives the full path, the NT family (and
    // Wine) the bare file name.
    std::string executable;
};

class ProcessList {
  public:
    virtual ~ProcessList() = default;
    // CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS) walked with Process32First/Next, in the
    // order the system lists them; nothing when no snapshot can be taken.
    virtual std::optional<std::vector<ProcessEntry>> Snapshot() = 0;
    // Opens the process (terminate and query rights), reads its exit code and terminates it with
    // that code (STILL_ACTIVE, 259, for a running one). False when any of the three calls fails.
    virtual bool TerminateWithOwnExitCode(std::uint32_t processId) = 0;
};

}  // namespace tq
