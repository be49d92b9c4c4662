// The installation log: every run, wizard or unattended, appends to one file. A header names the
// version, the platform and processor class and the options; then one timestamped line per step
// with its result and, on failure, the system's error number and text. Nothing typed into a
// logon box passes through here: the steps log names, paths and results only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/log_file.h"

namespace tq {

// The log file's name in the user's temporary folder when no option moves it.
inline constexpr char kDefaultLogName[] = "TQ82Ins.log";

class InstallLog {
  public:
    InstallLog(LogFile& file, SystemErrors& errors) : file_(file), errors_(errors) {}

    // Opens `path`, or the default file in the temporary folder when it is empty. False when
    // it cannot be opened; the log then writes nothing.
    bool Open(const std::string& path);
    const std::string& path() const { return path_; }

    // "2026-12-07 17:45:01.123 <text>" and a line break, in one write.
    void Line(std::string_view text);
    // The header of a run.
    void Header(std::string_view mode, int platformClass, int processorClass,
                const std::vector<std::string>& options);
    // "<step>: ok", or "<step>: failed, error N (text)" with the calling thread's last error.
    // Returns `ok`, so a step's result can pass through.
    bool Step(std::string_view step, bool ok);

  private:
    LogFile& file_;
    SystemErrors& errors_;
    std::string path_;
    bool open_ = false;
};

}  // namespace tq
