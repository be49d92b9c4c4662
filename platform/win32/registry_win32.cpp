#include "platform/win32/registry_win32.h"

#include <windows.h>

#include <cstring>

namespace tq {

namespace {

HKEY RootKey(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

KeyOpening Create(HKEY parent, const std::string& path, std::uint32_t rights);

// A REG_SZ need not end in a NUL: end the text after the bytes read. False when the bytes
// fill the buffer with no NUL among them.
bool Terminate(char* buffer, std::size_t size, DWORD length) {
    if (length < size) {
        buffer[length] = '\0';
        return true;
    }
    return std::memchr(buffer, '\0', size) != nullptr;
}

class Win32RegistryKey : public RegistryKey {
  public:
    explicit Win32RegistryKey(HKEY key) : key_(key) {}
    ~Win32RegistryKey() override { RegCloseKey(key_); }

    long EnumValue(std::uint32_t index, RegistryValueEntry& out) override {
        out = RegistryValueEntry{};
        DWORD nameLength = sizeof(out.name);
        DWORD dataLength = sizeof(out.data);
        DWORD type = 0;
        LONG result = RegEnumValueA(key_, index, out.name, &nameLength, nullptr, &type,
                                    reinterpret_cast<BYTE*>(out.data), &dataLength);
        // Data stored without its NUL that fills the whole buffer is a text that does not fit.
        if (result == ERROR_SUCCESS && !Terminate(out.data, sizeof(out.data), dataLength)) {
            result = ERROR_MORE_DATA;
        }
        if (result != ERROR_SUCCESS) {
            out = RegistryValueEntry{};
            return result;
        }
        out.name[nameLength < sizeof(out.name) ? nameLength : sizeof(out.name) - 1] = '\0';
        out.type = type;
        return result;
    }

    long QueryString(const std::string& name, char* buffer, std::size_t size) override {
        if (size == 0) return ERROR_INVALID_PARAMETER;
        std::memset(buffer, 0, size);
        DWORD length = static_cast<DWORD>(size);
        LONG result = RegQueryValueExA(key_, name.c_str(), nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(buffer), &length);
        if (result == ERROR_SUCCESS && !Terminate(buffer, size, length)) result = ERROR_MORE_DATA;
        if (result != ERROR_SUCCESS) std::memset(buffer, 0, size);
        return result;
    }

    long SetString(const std::string& name, const std::string& data) override {
        return RegSetValueExA(key_, name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>(data.size() + 1));
    }

    long SetDword(const std::string& name, std::uint32_t data) override {
        const DWORD value = data;
        return RegSetValueExA(key_, name.c_str(), 0, REG_DWORD,
                              reinterpret_cast<const BYTE*>(&value), sizeof(value));
    }

    long DeleteValue(const std::string& name) override {
        return RegDeleteValueA(key_, name.c_str());
    }

    KeyOpening CreateSubKey(const std::string& name, std::uint32_t rights) override {
        return Create(key_, name, rights);
    }

    long Flush() override { return RegFlushKey(key_); }

  private:
    HKEY key_;
};

KeyOpening Create(HKEY parent, const std::string& path, std::uint32_t rights) {
    KeyOpening opening;
    HKEY key = nullptr;
    DWORD disposition = 0;
    opening.error = RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    rights, nullptr, &key, &disposition);
    if (opening.error == ERROR_SUCCESS) {
        opening.key = std::make_unique<Win32RegistryKey>(key);
        opening.created = disposition == REG_CREATED_NEW_KEY;
    }
    return opening;
}

}  // namespace

KeyOpening Win32Registry::OpenKey(RegistryRoot root, const std::string& path,
                                  std::uint32_t rights) {
    KeyOpening opening;
    HKEY key = nullptr;
    opening.error = RegOpenKeyExA(RootKey(root), path.c_str(), 0, rights, &key);
    if (opening.error == ERROR_SUCCESS) opening.key = std::make_unique<Win32RegistryKey>(key);
    return opening;
}

KeyOpening Win32Registry::CreateKey(RegistryRoot root, const std::string& path,
                                    std::uint32_t rights) {
    return Create(RootKey(root), path, rights);
}

long Win32Registry::DeleteKey(RegistryRoot root, const std::string& path) {
    return RegDeleteKeyA(RootKey(root), path.c_str());
}

}  // namespace tq
