// The printer model this package installs.
#pragma once

#include <string_view>

#include "platform/version.h"

namespace tq {

// The model's driver name; also the printer name the wizard proposes and the name of the queue
// that plug-and-play creates.
inline constexpr std::string_view kModelDriverName = "Kestra TQ8240 Series";

// The package's version, as the log names it.
inline constexpr char kInstallerVersion[] = TQ_VERSION_TEXT;

}  // namespace tq
