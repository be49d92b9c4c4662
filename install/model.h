// The printer model this package installs.
#pragma once

#include <string_view>

namespace tq {

// The model's driver name; also the printer name the wizard proposes and the name of the queue
// that plug-and-play creates.
inline constexpr std::string_view kModelDriverName = "Kestra TQ8240 Series";

// The installer's version, as its log names it.
inline constexpr char kInstallerVersion[] = "1.0.0";

}  // namespace tq
