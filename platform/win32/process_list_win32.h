#pragma once

#include <string>
#include <utility>

#include "platform/process_list.h"

namespace tq {

// The Toolhelp functions are looked up in kernel32 at run time: Windows NT 4.0 has none of them,
// and a static import would keep the installer from starting there. Without them there is no
// snapshot. Tests name a module that lacks them.
class Win32ProcessList : public ProcessList {
  public:
    explicit Win32ProcessList(std::string module = "kernel32.dll") : module_(std::move(module)) {}
    std::optional<std::vector<ProcessEntry>> Snapshot() override;
    bool TerminateWithOwnExitCode(std::uint32_t processId) override;

  private:
    std::string module_;
};

}  // namespace tq
