#pragma once

#include <windows.h>

#include "platform/log_file.h"

namespace tq {

class Win32LogFile : public LogFile {
  public:
    Win32LogFile() = default;
    ~Win32LogFile() override;
    Win32LogFile(const Win32LogFile&) = delete;
    Win32LogFile& operator=(const Win32LogFile&) = delete;

    bool Open(const std::string& path) override;
    bool Append(const std::string& bytes) override;
    LocalTime Now() override;
    std::string TemporaryFolder() override;

  private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

class Win32SystemErrors : public SystemErrors {
  public:
    std::uint32_t Last() override { return GetLastError(); }
    std::string Text(std::uint32_t error) override;
};

}  // namespace tq
