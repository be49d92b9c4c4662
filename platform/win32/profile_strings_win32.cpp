#include "platform/win32/profile_strings_win32.h"

#include <windows.h>

#include <vector>

namespace tq {

std::string Win32ProfileStrings::ReadStringOr(const std::string& path, const std::string& section,
                                              const std::string& key,
                                              const std::string& defaultValue,
                                              std::size_t capacity) {
    if (capacity == 0 || capacity > MAXDWORD) return {};
    std::vector<char> buffer(capacity, '\0');
    const DWORD n =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                 static_cast<DWORD>(capacity), path.c_str());
    return std::string(buffer.data(), n < capacity ? n : capacity - 1);
}

bool Win32ProfileStrings::WriteString(const std::string& path, const std::string& section,
                                      const std::string& key, const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) !=
           FALSE;
}

}  // namespace tq
