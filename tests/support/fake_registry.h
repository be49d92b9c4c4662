// In-memory registry for host tests: keys under HKLM and HKCU, values in the order they were
// first written, names of keys and values compared without regard to case (code page 936, as
// Windows does), access rights enforced, and failures injected per key and operation.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace tq::test {

class FakeRegistry : public Registry {
  public:
    enum class Op { Open, Create, Enum, Query, Set, DeleteValue, DeleteKey, Flush };

    struct Value {
        std::string name;
        std::string data;
    };
    struct Key {
        RegistryRoot root;
        std::string path;
        std::vector<Value> values;
    };

    // Set-up: the key and every key above it are created when missing.
    FakeRegistry& AddKey(RegistryRoot root, const std::string& path);
    FakeRegistry& AddValue(RegistryRoot root, const std::string& path, const std::string& name,
                           const std::string& data);
    // Makes `op` on the key at `path` fail with `error` (the key is matched without regard to
    // case); for Set, Query and DeleteValue only on the value `valueName` when one is given.
    // For Open and Create the failing call is the opening itself.
    void Fail(Op op, RegistryRoot root, const std::string& path, long error = kRegAccessDenied,
              const std::string& valueName = "");

    // Inspection.
    Key* FindKey(RegistryRoot root, const std::string& path);
    std::optional<std::string> ValueOf(RegistryRoot root, const std::string& path,
                                       const std::string& name);

    // Every change, in order: "set HKLM\<path>|<name>=<data>", "delete HKLM\<path>|<name>",
    // "create HKLM\<path>", "deletekey HKLM\<path>", "flush HKLM\<path>".
    std::vector<std::string> changes;
    struct Opening {
        std::string key;  // "HKLM\<path>"
        std::uint32_t rights;
    };
    std::vector<Opening> openings;  // opens and creates that succeeded
    int openKeys = 0;               // opened and not yet closed

    KeyOpening OpenKey(RegistryRoot root, const std::string& path, std::uint32_t rights) override;
    KeyOpening CreateKey(RegistryRoot root, const std::string& path, std::uint32_t rights) override;
    long DeleteKey(RegistryRoot root, const std::string& path) override;

    // Used by the opened keys.
    long Injected(Op op, RegistryRoot root, const std::string& path,
                  const std::string& valueName = "") const;
    static std::string Name(RegistryRoot root, const std::string& path);

  private:
    struct Failure {
        Op op;
        RegistryRoot root;
        std::string path;
        long error;
        std::string valueName;
    };
    std::vector<Key> keys_;
    std::vector<Failure> failures_;
};

}  // namespace tq::test
