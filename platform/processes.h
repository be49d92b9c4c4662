// Starting other programs, as the installer hands work to its helper programs.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

// How a program started and waited for went.
struct ProgramRun {
    enum Outcome { NotStarted, TimedOut, Ended };
    Outcome outcome = NotStarted;
    // NotStarted: the system's error of the start; Ended: the program's exit code.
    std::uint32_t code = 0;
};

class Processes {
  public:
    virtual ~Processes() = default;
    // Starts `commandLine` (program path first, quoted when it may hold spaces) with the given
    // ShowWindow command, as WinExec does, and does not wait for it. True when it started.
    virtual bool StartProgram(const std::string& commandLine, int showCommand) = 0;
    // CreateProcessA(commandLine) as StartProgram, then WaitForSingleObject up to `limitMs`
    // and GetExitCodeProcess. A program still running at the limit is left running.
    virtual ProgramRun RunAndWait(const std::string& commandLine, int showCommand,
                                  unsigned limitMs) = 0;
};

}  // namespace tq
