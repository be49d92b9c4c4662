// The installation log as the system keeps it: one file appended to, each write handed to the
// system at once (no buffer of ours), so that a crash loses nothing written before it; the
// local time, the temporary folder, and the system's own error numbers and texts.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
};

class LogFile {
  public:
    virtual ~LogFile() = default;
    // Opens `path` for appending (created when missing, shared for reading and writing); a
    // missing folder on the way is created first. False when it cannot be opened, or when it is
    // no plain file on a disk (a device, a pipe, a link at that name, a second name of a file).
    virtual bool Open(const std::string& path) = 0;
    // One WriteFile of the bytes at the end of the file; false without an open file.
    virtual bool Append(const std::string& bytes) = 0;
    // GetLocalTime.
    virtual LocalTime Now() = 0;
    // GetTempPathA without the trailing backslash; empty when it fails.
    virtual std::string TemporaryFolder() = 0;
};

class SystemErrors {
  public:
    virtual ~SystemErrors() = default;
    // GetLastError of the calling thread.
    virtual std::uint32_t Last() = 0;
    // FormatMessageA from the system's table, without the line break at its end; empty when
    // the system has no text for it.
    virtual std::string Text(std::uint32_t error) = 0;
};

}  // namespace tq
