// The helper libraries for host tests: records each call, answers with the scripted result
// (0 stands for a missing library or export as well as a refusal).
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "platform/setup_libraries.h"
#include "platform/text.h"

namespace tq::test {

class FakeSetupLibraries : public SetupLibraries {
  public:
    int CopyInf(const std::string& folder, const std::string& infName) override {
        calls.push_back("CopyInf(" + folder + "," + infName + ")");
        return copyInfResult;
    }
    int InstallPort(const std::string& portName, int connectionType,
                    char (&portBuffer)[kPortBufferSize]) override {
        calls.push_back("InstallPort(" + portName + "," + std::to_string(connectionType) + "," +
                        std::string(FieldText(portBuffer)) + ")");
        if (!installPortWrites.empty()) BoundedCopy(portBuffer, installPortWrites);
        return installPortResult;
    }
    int RefreshLocalDevNode() override {
        calls.push_back("RefreshLocalDevNode()");
        return refreshResult;
    }
    int SetDefault(const std::string& printerName) override {
        calls.push_back("SetDefault(" + printerName + ")");
        return setDefaultResult;
    }
    int SharePrinter(const std::string& printerName, const std::string& shareName) override {
        calls.push_back("SharePrinter(" + printerName + "," + shareName + ")");
        return sharePrinterResult;
    }

    std::vector<std::string> calls;
    int copyInfResult = 1;
    int installPortResult = 1;
    std::string installPortWrites;  // empty: the buffer is left as it came
    int refreshResult = 1;
    int setDefaultResult = 1;
    int sharePrinterResult = 1;
};

}  // namespace tq::test
