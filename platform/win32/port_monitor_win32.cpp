#include "platform/win32/port_monitor_win32.h"

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

namespace tq {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

class Win32PortMonitorChannel : public PortMonitorChannel {
  public:
    explicit Win32PortMonitorChannel(HANDLE handle) : handle_(handle) {}
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
        return XcvDataW(handle_, name.c_str(), data.data(), static_cast<DWORD>(data.size()),
                        &output, 0, &needed, &status) != FALSE;
    }

  private:
    HANDLE handle_;
};

}  // namespace

std::unique_ptr<PortMonitorChannel> Win32PortMonitor::OpenChannel(const std::string& objectName) {
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    std::string name = objectName;
    HANDLE handle = nullptr;
    if (!OpenPrinterA(name.data(), &handle, &defaults) || handle == nullptr) return nullptr;
    return std::make_unique<Win32PortMonitorChannel>(handle);
}

}  // namespace tq
