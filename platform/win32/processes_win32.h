#pragma once

#include "platform/processes.h"

namespace tq {

class Win32Processes : public Processes {
  public:
    bool StartProgram(const std::string& commandLine, int showCommand) override;
    ProgramRun RunAndWait(const std::string& commandLine, int showCommand,
                          unsigned limitMs) override;
};

}  // namespace tq
