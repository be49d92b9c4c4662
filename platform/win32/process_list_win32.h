#pragma once

#include "platform/process_list.h"

namespace tq {

class Win32ProcessList : public ProcessList {
  public:
    std::optional<std::vector<ProcessEntry>> Snapshot() override;
    bool TerminateWithOwnExitCode(std::uint32_t processId) override;
};

}  // namespace tq
