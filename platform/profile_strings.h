// Strings of Windows profile (INI) files: sections and keys match without regard to letter case,
// a missing file, section or key reads as the default. Paths are 8-bit, in the system code page.
#pragma once

#include <cstddef>
#include <string>

namespace tq {

class ProfileStrings {
  public:
    virtual ~ProfileStrings() = default;
    // GetPrivateProfileStringA into a buffer of `capacity` bytes: at most capacity - 1 bytes of
    // the value, or of `defaultValue` when the file, section or key is missing (an empty value
    // stays empty); nothing when capacity is 0.
    virtual std::string ReadStringOr(const std::string& path, const std::string& section,
                                     const std::string& key, const std::string& defaultValue,
                                     std::size_t capacity) = 0;
    // The same with an empty default.
    std::string ReadString(const std::string& path, const std::string& section,
                           const std::string& key, std::size_t capacity) {
        return ReadStringOr(path, section, key, std::string(), capacity);
    }
    // WritePrivateProfileStringA: creates the file when missing (its folder must exist); fails
    // on a read-only file.
    virtual bool WriteString(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& value) = 0;
};

}  // namespace tq
