// The installation log: every run, wizard or unattended, appends to one file. A header names the
// version, the platform and processor class and the options; then one timestamped line per step
// with its result and, on failure, the system's error number and text. Nothing typed into a
// logon box passes through here: the steps log names, paths and results only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/run_log.h"

namespace tq {

// The log file's name in the user's temporary folder when no option moves it.
inline constexpr char kDefaultLogName[] = "TQ82Ins.log";

class InstallLog : public RunLog {
  public:
    using RunLog::RunLog;

    // Opens `path`, or the default file in the temporary folder when it is empty.
    bool Open(const std::string& path) { return RunLog::Open(path, kDefaultLogName); }
    bool OpenOrDefault(const std::string& path) {
        return RunLog::OpenOrDefault(path, kDefaultLogName);
    }
    // The header of a run.
    void Header(std::string_view mode, int platformClass, int processorClass,
                const std::vector<std::string>& options);
};

}  // namespace tq
