#include "tests/e2e/spooler_setup.h"

#include <windows.h>
#include <winspool.h>

#include <memory>

#include "tests/e2e/robot.h"

namespace tq::e2e {

namespace {

struct PrinterCloser {
    void operator()(HANDLE h) const {
        if (h != nullptr) ClosePrinter(h);
    }
};
using UniquePrinter = std::unique_ptr<void, PrinterCloser>;

std::string Field(const char* s) {
    return s ? FromAnsi(s) : std::string();
}

}  // namespace

bool AddDriver(std::string_view driverName, std::string* error, const char* environment) {
    std::string name = ToAnsi(driverName);
    std::string environmentName = environment != nullptr ? environment : "";
    char driverFile[] = "TQ8240GD.DLL";
    char dataFile[] = "TQ8240.GPD";
    char configFile[] = "TQ8240UI.DLL";
    char dataType[] = "RAW";
    DRIVER_INFO_3A info{};
    info.cVersion = 3;
    info.pName = name.data();
    info.pDriverPath = driverFile;
    info.pDataFile = dataFile;
    info.pConfigFile = configFile;
    info.pDefaultDataType = dataType;
    info.pEnvironment = environment != nullptr ? environmentName.data() : nullptr;
    // Decided by the return value: the last error is stale after a success under Wine.
    if (!AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&info))) {
        if (error)
            *error = "AddPrinterDriverA(" + std::string(driverName) + ") failed, error " +
                     std::to_string(GetLastError());
        return false;
    }
    return true;
}

namespace {

bool AddLocalQueue(std::string_view queueName, std::string_view port, std::string_view driverName,
                   std::string_view shareName, DWORD attributes, std::string* error) {
    std::string name = ToAnsi(queueName);
    std::string portName = ToAnsi(port);
    std::string driver = ToAnsi(driverName);
    std::string share = ToAnsi(shareName);
    char processor[] = "WinPrint";
    char dataType[] = "RAW";
    PRINTER_INFO_2A info{};
    info.pPrinterName = name.data();
    info.pShareName = share.empty() ? nullptr : share.data();
    info.pPortName = portName.data();
    info.pDriverName = driver.data();
    info.pPrintProcessor = processor;
    info.pDatatype = dataType;
    info.Attributes = attributes;
    UniquePrinter printer(AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
    if (!printer) {
        if (error)
            *error = "AddPrinterA(" + std::string(queueName) + ") failed, error " +
                     std::to_string(GetLastError());
        return false;
    }
    return true;
}

}  // namespace

bool AddQueue(std::string_view queueName, std::string_view port, std::string_view driverName,
              std::string* error) {
    return AddLocalQueue(queueName, port, driverName, {}, PRINTER_ATTRIBUTE_LOCAL, error);
}

bool AddQueueWithShareName(std::string_view queueName, std::string_view port,
                           std::string_view driverName, std::string_view shareName, bool shared,
                           std::string* error) {
    const DWORD attributes = PRINTER_ATTRIBUTE_LOCAL | (shared ? PRINTER_ATTRIBUTE_SHARED : 0);
    return AddLocalQueue(queueName, port, driverName, shareName, attributes, error);
}

std::vector<QueueInfo> ListQueues() {
    std::vector<QueueInfo> queues;
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    if (needed == 0) return queues;
    std::vector<BYTE> block(needed);
    if (!EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, block.data(), needed, &needed, &count)) {
        return queues;
    }
    const auto* records = reinterpret_cast<const PRINTER_INFO_2A*>(block.data());
    for (DWORD i = 0; i < count; ++i) {
        queues.push_back({Field(records[i].pPrinterName), Field(records[i].pPortName),
                          Field(records[i].pDriverName), Field(records[i].pShareName),
                          records[i].Attributes, Field(records[i].pPrintProcessor),
                          Field(records[i].pDatatype)});
    }
    return queues;
}

}  // namespace tq::e2e
