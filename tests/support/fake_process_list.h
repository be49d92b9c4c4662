// The process table for host tests: a scripted snapshot; every ending is logged.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/process_list.h"

namespace tq::test {

class FakeProcessList : public ProcessList {
  public:
    std::optional<std::vector<ProcessEntry>> Snapshot() override {
        ++snapshots;
        if (snapshotFails) return std::nullopt;
        return processes;
    }
    bool TerminateWithOwnExitCode(std::uint32_t processId) override {
        terminated.push_back(processId);
        return !terminateFails;
    }

    std::vector<ProcessEntry> processes;
    bool snapshotFails = false;
    bool terminateFails = false;
    int snapshots = 0;
    std::vector<std::uint32_t> terminated;
};

}  // namespace tq::test
