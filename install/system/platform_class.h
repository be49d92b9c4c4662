// Which Windows family the installer runs on, and whether the machine is 64-bit.
#pragma once

#include "platform/system_info.h"

namespace tq {

// PlatformClass: 1 Windows 95/98, 2 NT 4.0 and earlier, 3 Windows 2000, 4 XP/2003,
// 5 Vista and later, -1 anything else (Windows Me included).
enum : int {
    PlatformOther = -1,
    Platform9x = 1,
    PlatformNt4 = 2,
    Platform2000 = 3,
    PlatformXp = 4,
    PlatformVista = 5,
};

// ProcessorClass: 0 Windows 95/98, 1 32-bit NT family, 2 64-bit (x64, Itanium), 3 ARM64
// (no driver of this package runs there: the installation is refused before any change),
// -1 not classified.
enum : int {
    ProcessorOther = -1,
    Processor9x = 0,
    Processor32 = 1,
    Processor64 = 2,
    ProcessorArm64 = 3,
};

int GetPlatformClass(SystemInfo& system);
int GetProcessorClass(SystemInfo& system);

}  // namespace tq
