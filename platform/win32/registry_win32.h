#pragma once

#include "platform/registry.h"

namespace tq {

// The registry through advapi32's A functions. A 32-bit program on 64-bit Windows sees the
// 32-bit view, as Windows gives it.
class Win32Registry : public Registry {
  public:
    KeyOpening OpenKey(RegistryRoot root, const std::string& path, std::uint32_t rights) override;
    KeyOpening CreateKey(RegistryRoot root, const std::string& path, std::uint32_t rights) override;
    long DeleteKey(RegistryRoot root, const std::string& path) override;
};

}  // namespace tq
