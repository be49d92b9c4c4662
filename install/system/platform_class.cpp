#include "install/system/platform_class.h"

namespace tq {

namespace {
constexpr std::uint32_t kPlatformWin9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr std::uint32_t kPlatformNt = 2;     // VER_PLATFORM_WIN32_NT
constexpr std::uint16_t kArchIa64 = 6;       // PROCESSOR_ARCHITECTURE_IA64
constexpr std::uint16_t kArchAmd64 = 9;      // PROCESSOR_ARCHITECTURE_AMD64
constexpr std::uint16_t kArchArm64 = 12;     // PROCESSOR_ARCHITECTURE_ARM64
}  // namespace

int GetPlatformClass(SystemInfo& system) {
    const OsVersion v = system.Version();
    if (v.platformId == kPlatformWin9x) return v.minor < 90 ? Platform9x : PlatformOther;
    if (v.platformId != kPlatformNt) return PlatformOther;
    if (v.major <= 4) return PlatformNt4;
    if (v.major == 5) return v.minor == 0 ? Platform2000 : PlatformXp;
    return PlatformVista;
}

int GetProcessorClass(SystemInfo& system) {
    const OsVersion v = system.Version();
    if (v.platformId == kPlatformWin9x) return v.minor < 90 ? Processor9x : ProcessorOther;
    if (v.platformId != kPlatformNt) return ProcessorOther;
    if (v.major < 5) return ProcessorOther;
    if (v.major == 5 && v.minor == 0) return Processor32;  // Windows 2000: no 64-bit edition
    std::uint16_t arch = 0;
    if (!system.NativeArchitecture(arch)) return Processor32;
    if (arch == kArchArm64) return ProcessorArm64;
    return (arch == kArchAmd64 || arch == kArchIa64) ? Processor64 : Processor32;
}

}  // namespace tq
