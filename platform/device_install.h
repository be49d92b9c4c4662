// What the plug-and-play path asks of Windows besides the spooler and the helper libraries:
// the driver update for a device, a helper program run to its end, and one number from a
// profile file (the helper's verdict).
#pragma once

#include <cstdint>
#include <string>

namespace tq {

// A call that answers TRUE or FALSE, with GetLastError right after a FALSE.
struct DeviceInstallResult {
    bool ok = false;
    std::uint32_t lastError = 0;
};

class DeviceInstaller {
  public:
    virtual ~DeviceInstaller() = default;
    // newdev.dll UpdateDriverForPlugAndPlayDevicesA(no parent window, hardwareId, infPath,
    // flags 0, &reboot); the reboot flag is not reported. The library is loaded by bare name
    // and the function looked up for each call: a missing library or export is a FALSE with
    // the error of the failed load (126) or look-up (127).
    virtual DeviceInstallResult UpdateDeviceDriver(const std::string& hardwareId,
                                                   const std::string& infPath) = 0;
};

class ProgramRunner {
  public:
    virtual ~ProgramRunner() = default;
    // CreateProcessA with `applicationName` as the program and `commandLine` as the whole
    // command line (the program's name is not part of it), handles inherited, the caller's
    // environment and folder; then waits without limit until the program has ended. Its exit
    // code is not looked at. False when it could not be started.
    virtual bool RunAndWait(const std::string& applicationName, const std::string& commandLine) = 0;
};

class ProfileReader {
  public:
    virtual ~ProfileReader() = default;
    // GetPrivateProfileIntA: `defaultValue` for a missing file, section or key.
    virtual int ReadInt(const std::string& path, const std::string& section, const std::string& key,
                        int defaultValue) = 0;
    // DeleteFileA: true when the file is gone afterwards, also when there was none.
    virtual bool RemoveFile(const std::string& path) = 0;
};

}  // namespace tq
