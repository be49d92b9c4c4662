#pragma once

#include "platform/profile_strings.h"

namespace tq {

// GetPrivateProfileStringA / WritePrivateProfileStringA.
class Win32ProfileStrings : public ProfileStrings {
  public:
    std::string ReadStringOr(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& defaultValue,
                             std::size_t capacity) override;
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override;
};

}  // namespace tq
