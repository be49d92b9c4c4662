// Profile files in memory for host tests. Paths, sections and keys compare without regard to
// letter case, as on Windows. Linked to a FakeFileSystem, the files live there too: a write
// needs the file's folder, fails on a read-only file and creates a missing file; a read of a
// file that is not there gives the default; and each call joins that file system's call log.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/profile_strings.h"
#include "tests/support/fake_file_system.h"

namespace tq::test {

class FakeProfileStrings : public ProfileStrings {
  public:
    explicit FakeProfileStrings(FakeFileSystem* files = nullptr) : files_(files) {}

    // Set-up: a value as if written earlier (the linked file system gets the file too).
    FakeProfileStrings& Set(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& value);
    // The whole stored value, or nullptr.
    const std::string* Find(const std::string& path, const std::string& section,
                            const std::string& key) const;

    std::string ReadStringOr(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& defaultValue,
                             std::size_t capacity) override;
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override;

    // Every call in order: "ReadProfile <path> [section] key" and
    // "WriteProfile <path> [section] key=value" (with " failed" when it failed).
    std::vector<std::string> calls;

  private:
    using Key = std::tuple<std::string, std::string, std::string>;
    static Key MakeKey(const std::string& path, const std::string& section, const std::string& key);
    void Log(const std::string& call);

    FakeFileSystem* files_;
    std::map<Key, std::string> values_;
};

}  // namespace tq::test
