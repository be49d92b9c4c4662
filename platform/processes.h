// Starting other programs and waiting, as the installer hands work to its helper programs.
#pragma once

#include <string>

namespace tq {

class Processes {
  public:
    virtual ~Processes() = default;
    // Starts `commandLine` (program path first, quoted when it may hold spaces) with the given
    // ShowWindow command, as WinExec does, and does not wait for it. True when it started.
    virtual bool StartProgram(const std::string& commandLine, int showCommand) = 0;
    // Sleep(milliseconds).
    virtual void Sleep(unsigned milliseconds) = 0;
};

}  // namespace tq
