#pragma once

#include <string>
#include <utility>

#include "platform/device_install.h"

namespace tq {

class Win32DeviceInstaller : public DeviceInstaller {
  public:
    // The library is Windows' own newdev.dll; tests name others.
    explicit Win32DeviceInstaller(std::string library = "newdev.dll")
        : library_(std::move(library)) {}
    DeviceInstallResult UpdateDeviceDriver(const std::string& hardwareId,
                                           const std::string& infPath) override;

  private:
    std::string library_;
};

class Win32ProgramRunner : public ProgramRunner {
  public:
    bool RunAndWait(const std::string& applicationName, const std::string& commandLine) override;
};

class Win32ProfileReader : public ProfileReader {
  public:
    int ReadInt(const std::string& path, const std::string& section, const std::string& key,
                int defaultValue) override;
    bool RemoveFile(const std::string& path) override;
};

}  // namespace tq
