#include "platform/win32/port_monitor_win32.h"

#include <windows.h>
#include <winspool.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/owners.h"

namespace tq {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

using XcvDataFn = decltype(XcvDataW);

class Win32PortMonitorChannel : public PortMonitorChannel {
  public:
    // `xcvData` is an export of `winspool`, which the channel keeps loaded.
    Win32PortMonitorChannel(std::unique_ptr<LoadedLibrary> winspool, XcvDataFn* xcvData,
                            HANDLE handle)
        : winspool_(std::move(winspool)), xcvData_(xcvData), handle_(handle) {}
    ~Win32PortMonitorChannel() override { ClosePrinter(handle_); }
    Win32PortMonitorChannel(const Win32PortMonitorChannel&) = delete;
    Win32PortMonitorChannel& operator=(const Win32PortMonitorChannel&) = delete;

    bool Send(std::u16string_view command, const std::uint8_t* input,
              std::size_t inputSize) override {
        std::wstring name(command.begin(), command.end());
        // XcvDataW takes a writable input buffer; the caller's bytes stay untouched.
        std::vector<BYTE> data(input, input + inputSize);
        BYTE output = 0;
        DWORD needed = 0;
        DWORD status = 0;
        return xcvData_(handle_, name.c_str(), data.data(), static_cast<DWORD>(data.size()),
                        &output, 0, &needed, &status) != FALSE;
    }

    std::uint32_t SendForStatus(std::u16string_view command, const std::uint8_t* input,
                                std::size_t inputSize) override {
        std::wstring name(command.begin(), command.end());
        std::vector<BYTE> data(input, input + inputSize);
        BYTE output = 0;
        DWORD needed = 0;
        DWORD status = ERROR_GEN_FAILURE;
        if (!xcvData_(handle_, name.c_str(), data.data(), static_cast<DWORD>(data.size()),
                      &output, 0, &needed, &status)) {
            const DWORD error = GetLastError();
            return error != 0 ? error : ERROR_GEN_FAILURE;
        }
        return status;
    }

  private:
    std::unique_ptr<LoadedLibrary> winspool_;
    XcvDataFn* xcvData_;
    HANDLE handle_;
};

}  // namespace

std::unique_ptr<PortMonitorChannel> Win32PortMonitor::OpenChannel(const std::string& objectName) {
    // XcvDataW is looked up at run time: Windows 9x and NT 4.0 lack it. Without it no channel
    // opens.
    auto winspool = std::make_unique<LoadedLibrary>("winspool.drv");
    XcvDataFn* const xcvData = winspool->Export<XcvDataFn>("XcvDataW");
    if (xcvData == nullptr) return nullptr;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    std::string name = objectName;
    HANDLE handle = nullptr;
    if (!OpenPrinterA(name.data(), &handle, &defaults) || handle == nullptr) return nullptr;
    return std::make_unique<Win32PortMonitorChannel>(std::move(winspool), xcvData, handle);
}

}  // namespace tq
