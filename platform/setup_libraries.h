// The two helper libraries that ship beside the installer, SetupNT.dll (NT family) and
// Setup9x.dll (Windows 9x). Each call loads the library by bare name, looks up the export,
// calls it once with C calling convention and frees the library. A library or export that is
// missing is a failed call (0); nothing is ever called through a missing entry.
#pragma once

#include <cstddef>
#include <string>

namespace tq {

inline constexpr std::size_t kPortBufferSize = 260;
inline constexpr char kSetupNtLibrary[] = "SetupNT.dll";
inline constexpr char kSetup9xLibrary[] = "Setup9x.dll";

class SetupLibraries {
  public:
    virtual ~SetupLibraries() = default;
    // SetupNT.dll "CopyInf": installs <folder>\Driver\<infName>. Non-zero on success.
    virtual int CopyInf(const std::string& folder, const std::string& infName) = 0;
    // SetupNT.dll "InstallPort": portBuffer holds a copy of portName on entry and the queue's
    // port afterwards.
    virtual int InstallPort(const std::string& portName, int connectionType,
                            char (&portBuffer)[kPortBufferSize]) = 0;
    // SetupNT.dll "RefreshLocalDevNode".
    virtual int RefreshLocalDevNode() = 0;
    // SetupNT.dll "SetDefault": non-zero when the queue is now the default printer.
    virtual int SetDefault(const std::string& printerName) = 0;
    // Setup9x.dll "SharePrinter": non-zero when the queue is shared under the name.
    virtual int SharePrinter(const std::string& printerName, const std::string& shareName) = 0;
};

}  // namespace tq
