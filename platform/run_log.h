// The log a program's run appends to: one timestamped line per write, one write per line (a
// crash loses nothing written before it), a step's result with the system's error on failure.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/log_file.h"

namespace tq {

// False for a name that opens no file on a disk: the device namespace (\\.\, \\?\), a pipe or
// mailslot of a server (\\server\pipe\...), a device name (COM1, LPT1, NUL, CON...) in any
// folder and with any extension.
bool IsDiskFileName(std::string_view path);

class RunLog {
  public:
    RunLog(LogFile& file, SystemErrors& errors) : file_(file), errors_(errors) {}

    // Opens `path`, or `defaultName` in the temporary folder when it is empty. False when it
    // cannot be opened or is no disk file's name; the log then writes nothing.
    bool Open(const std::string& path, const char* defaultName);
    // As Open; a `path` given that cannot be opened is replaced by the default file, and the
    // answer is false then (the caller refuses the option in that default log).
    bool OpenOrDefault(const std::string& path, const char* defaultName);
    const std::string& path() const { return path_; }

    // "2026-12-07 17:45:01.123 <text>" and a line break, in one write.
    void Line(std::string_view text);
    // The first line of a run: `what` (program, version, mode...), then ", options:" and each
    // option as given (quoted when it holds a blank), or " (none)".
    void Header(std::string_view what, const std::vector<std::string>& options);
    // "<step>: ok", or "<step>: failed", with ", error N (text)" when the calling thread's last
    // error is not 0. Returns `ok`, so a step's result can pass through.
    bool Step(std::string_view step, bool ok);
    // "<step>: failed, error N (text)" with an error the caller kept (0: "<step>: failed").
    void Failure(std::string_view step, std::uint32_t error);

  private:
    LogFile& file_;
    SystemErrors& errors_;
    std::string path_;
    bool open_ = false;
};

}  // namespace tq
