// The Windows registry as the installer uses it: keys under HKLM and HKCU, REG_SZ values read,
// written, enumerated and deleted. Results are the registry functions' own codes (0 success);
// what counts as success for a record is decided in install/system/registry_records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tq {

enum class RegistryRoot { LocalMachine, CurrentUser };

// Access rights, as Windows numbers them.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// Result codes the callers tell apart.
inline constexpr long kRegOk = 0;
inline constexpr long kRegFileNotFound = 2;   // ERROR_FILE_NOT_FOUND
inline constexpr long kRegAccessDenied = 5;   // ERROR_ACCESS_DENIED
inline constexpr long kRegMoreData = 234;     // ERROR_MORE_DATA: a buffer was too small
inline constexpr long kRegNoMoreItems = 259;  // ERROR_NO_MORE_ITEMS: enumeration ended

inline constexpr std::uint32_t kRegSz = 1;  // REG_SZ

// One value as RegEnumValueA fills it: a 128-byte name buffer and a 260-byte data buffer,
// both NUL-terminated when the call succeeded.
struct RegistryValueEntry {
    static constexpr std::size_t kNameSize = 128;
    static constexpr std::size_t kDataSize = 260;
    char name[kNameSize] = {};
    char data[kDataSize] = {};
    std::uint32_t type = 0;
};

struct KeyOpening;

// An opened key; closed when the object goes (move-only by ownership).
class RegistryKey {
  public:
    virtual ~RegistryKey() = default;
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // RegEnumValueA at `index`: kRegOk, kRegNoMoreItems past the last value, kRegMoreData when
    // the name or the data does not fit its buffer, or another error.
    virtual long EnumValue(std::uint32_t index, RegistryValueEntry& out) = 0;
    // RegQueryValueExA into buffer[size] (size > 0). The text is always NUL-terminated; on
    // failure (kRegMoreData included) the buffer holds an empty text.
    virtual long QueryString(const std::string& name, char* buffer, std::size_t size) = 0;
    // RegSetValueExA, REG_SZ, with its terminating NUL.
    virtual long SetString(const std::string& name, const std::string& data) = 0;
    // RegSetValueExA, REG_DWORD.
    virtual long SetDword(const std::string& name, std::uint32_t data) = 0;
    virtual long DeleteValue(const std::string& name) = 0;
    // RegCreateKeyExA of a subkey of this key (no class, non-volatile).
    virtual KeyOpening CreateSubKey(const std::string& name, std::uint32_t rights) = 0;
    virtual long Flush() = 0;
};

struct KeyOpening {
    std::unique_ptr<RegistryKey> key;  // null when the call failed
    long error = kRegOk;               // the call's result
    bool created = false;              // created by this call; false when it already existed
};

class Registry {
  public:
    virtual ~Registry() = default;
    // RegOpenKeyExA.
    virtual KeyOpening OpenKey(RegistryRoot root, const std::string& path,
                               std::uint32_t rights) = 0;
    // RegCreateKeyExA (no class, non-volatile); missing keys on the way are created too.
    virtual KeyOpening CreateKey(RegistryRoot root, const std::string& path,
                                 std::uint32_t rights) = 0;
    // RegDeleteKeyA: the key must have no subkeys on the NT family.
    virtual long DeleteKey(RegistryRoot root, const std::string& path) = 0;
};

}  // namespace tq
