#pragma once

#include "platform/system_paths.h"

namespace tq {

class Win32SystemPaths : public SystemPaths {
  public:
    std::string ModuleFileName() override;
    std::string WindowsDirectory() override;
    std::string SystemDirectory() override;
    std::string Wow64SystemDirectory() override;
    std::string PrinterDriverDirectory(const char* environment) override;
    std::string ApplicationDataFolder() override;
    bool IsLeadByte(unsigned char c) override;
};

}  // namespace tq
