// Folders the system reports, as fields a test sets. The printer-driver folder follows Windows'
// rule: without an environment it is the caller's own; an environment the test did not give
// fails (an empty answer).
#pragma once

#include <map>
#include <string>

#include "platform/system_paths.h"
#include "platform/text.h"

namespace tq::test {

class FakeSystemPaths : public SystemPaths {
  public:
    std::string ModuleFileName() override { return module; }
    std::string WindowsDirectory() override { return windows; }
    std::string SystemDirectory() override { return system; }
    std::string Wow64SystemDirectory() override { return wow64System; }
    std::string PrinterDriverDirectory(const char* environment) override {
        if (environment == nullptr || environment == callerEnvironment) return driver;
        const auto it = otherDriverDirectories.find(environment);
        return it != otherDriverDirectories.end() ? it->second : std::string();
    }
    std::string ApplicationDataFolder() override { return appData; }
    bool IsLeadByte(unsigned char c) override { return leadBytes936 && IsLeadByte936(c); }

    std::string module = "E:\\TQ82Ins.exe";
    std::string windows = "C:\\WINDOWS";
    std::string system = "C:\\WINDOWS\\system32";
    std::string wow64System;  // empty: not a 32-bit program on 64-bit Windows
    std::string appData;
    bool leadBytes936 = true;  // false: a single-byte code page (1252)
    // The driver folder of the caller's own environment, and of others by name.
    std::string callerEnvironment = "Windows NT x86";
    std::string driver = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86";
    std::map<std::string, std::string> otherDriverDirectories;
};

}  // namespace tq::test
