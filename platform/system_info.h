// What the operating system says about itself, as read by install/system/platform_class.
#pragma once

#include <cstdint>

namespace tq {

struct OsVersion {  // from GetVersionExA
    std::uint32_t platformId = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

class SystemInfo {
  public:
    virtual ~SystemInfo() = default;
    virtual OsVersion Version() = 0;
    // The machine's PROCESSOR_ARCHITECTURE_* value (IsWow64Process2's native machine where
    // kernel32 has it, else GetNativeSystemInfo); false when kernel32 exports neither (systems
    // before XP).
    virtual bool NativeArchitecture(std::uint16_t& architecture) = 0;
};

// The running system (Windows builds only).
SystemInfo& RealSystemInfo();

}  // namespace tq
