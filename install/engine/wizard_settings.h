// The user's choices for one installation: one record for the whole process.
#pragma once

#include <cstdint>
#include <string_view>

#include "install/model.h"

namespace tq {

enum ConnectionType : std::int32_t {
    Usb = 0,
    Parallel = 1,
    Network = 2,
    SharedNetwork = 3,
};

// The port of a parallel installation.
inline constexpr char kParallelPort[] = "LPT1:";

struct WizardSettings {
    std::int32_t alreadyInstalled = 0;
    char printerName[36] = {};  // at most 32 characters
    std::int32_t setAsDefault = 1;
    std::int32_t shareEnabled = 0;
    char shareName[16] = {};  // at most 12 characters
    std::int32_t renameRequired = 0;
    std::int32_t connectionType = Usb;
    char portName[88] = {};

    // Bounded setters: a text longer than its field is cut at a character boundary.
    void SetPrinterName(std::string_view name);
    void SetShareName(std::string_view name);
    void SetPortName(std::string_view name);
};

}  // namespace tq
