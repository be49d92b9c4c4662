#pragma once

#include "platform/setup_libraries.h"

namespace tq {

class Win32SetupLibraries : public SetupLibraries {
  public:
    int CopyInf(const std::string& folder, const std::string& infName) override;
    int InstallPort(const std::string& portName, int connectionType,
                    char (&portBuffer)[kPortBufferSize]) override;
    int RefreshLocalDevNode() override;
    int SetDefault(const std::string& printerName) override;
    int SharePrinter(const std::string& printerName, const std::string& shareName) override;
};

}  // namespace tq
