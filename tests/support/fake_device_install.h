// The device installation services for host tests: the driver update answers as scripted, the
// helper program "runs" a test's action, the profile files are a map. Each records its calls.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/device_install.h"

namespace tq::test {

class FakeDeviceInstaller : public DeviceInstaller {
  public:
    struct Call {
        std::string hardwareId;
        std::string infPath;
    };
    DeviceInstallResult UpdateDeviceDriver(const std::string& hardwareId,
                                           const std::string& infPath) override {
        calls.push_back({hardwareId, infPath});
        if (onUpdate) onUpdate();
        return result;
    }

    DeviceInstallResult result{true, 0};
    std::vector<Call> calls;
    std::function<void()> onUpdate;  // lets a test look at the other fakes at that moment
};

class FakeProgramRunner : public ProgramRunner {
  public:
    struct Run {
        std::string applicationName;
        std::string commandLine;
    };
    bool RunAndWait(const std::string& applicationName, const std::string& commandLine) override {
        runs.push_back({applicationName, commandLine});
        if (startFails) return false;
        if (whileRunning) whileRunning();
        return true;
    }

    bool startFails = false;
    std::vector<Run> runs;
    std::function<void()> whileRunning;  // what the program does before it ends
};

// Profile files as a map. Names are compared exactly: the writer and the reader of a file
// share their names, so a difference in letter case is a slip worth seeing.
class FakeProfiles : public ProfileReader {
  public:
    int ReadInt(const std::string& path, const std::string& section, const std::string& key,
                int defaultValue) override {
        ++reads;
        const auto found = values.find({path, section, key});
        return found == values.end() ? defaultValue : found->second;
    }
    bool RemoveFile(const std::string& path) override {
        removed.push_back(path);
        if (removeFails) return false;
        for (auto it = values.begin(); it != values.end();) {
            it = std::get<0>(it->first) == path ? values.erase(it) : std::next(it);
        }
        return true;
    }

    std::map<std::tuple<std::string, std::string, std::string>, int> values;
    int reads = 0;
    std::vector<std::string> removed;
    bool removeFails = false;
};

}  // namespace tq::test
