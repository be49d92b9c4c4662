#pragma once

#include <string>

#include "platform/setup_libraries.h"

namespace tq {

class Win32SetupLibraries : public SetupLibraries {
  public:
    // The library names are the product's; tests name others.
    explicit Win32SetupLibraries(std::string setupNt = kSetupNtLibrary,
                                 std::string setup9x = kSetup9xLibrary)
        : setupNt_(std::move(setupNt)), setup9x_(std::move(setup9x)) {}

    int CopyInf(const std::string& folder, const std::string& infName) override;
    int InstallPort(const std::string& portName, int connectionType,
                    char (&portBuffer)[kPortBufferSize]) override;
    int RefreshLocalDevNode() override;
    int SetDefault(const std::string& printerName) override;
    int SharePrinter(const std::string& printerName, const std::string& shareName) override;

  private:
    std::string setupNt_;
    std::string setup9x_;
};

}  // namespace tq
