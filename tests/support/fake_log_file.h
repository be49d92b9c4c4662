// The log file and the system's errors for host tests: what was appended, one entry per write.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/log_file.h"

namespace tq::test {

class FakeLogFile : public LogFile {
  public:
    bool Open(const std::string& path) override {
        opened.push_back(path);
        return !openFails && failPaths.count(path) == 0;
    }
    bool Append(const std::string& bytes) override {
        writes.push_back(bytes);
        return true;
    }
    LocalTime Now() override { return {2026, 12, 7, 9, 5, 3, 42}; }
    std::string TemporaryFolder() override { return temp; }

    std::vector<std::string> opened;
    std::vector<std::string> writes;
    bool openFails = false;
    std::set<std::string> failPaths;  // paths that cannot be opened
    std::string temp = "C:\\Users\\me\\AppData\\Local\\Temp";
};

class FakeSystemErrors : public SystemErrors {
  public:
    std::uint32_t Last() override { return last; }
    std::string Text(std::uint32_t error) override {
        const auto it = texts.find(error);
        return it != texts.end() ? it->second : std::string();
    }
    std::uint32_t last = 0;
    std::map<std::uint32_t, std::string> texts{{5, "Access is denied."}};
};

}  // namespace tq::test
