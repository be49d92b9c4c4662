// The owner of one spooler handle (a queue, or a monitor's Xcv interface).
#pragma once

#include <windows.h>
#include <winspool.h>

namespace tq::helpers {

class PrinterHandle {
  public:
    PrinterHandle() = default;
    explicit PrinterHandle(HANDLE handle) : handle_(handle) {}
    ~PrinterHandle() {
        if (handle_ != nullptr) ClosePrinter(handle_);
    }
    PrinterHandle(PrinterHandle&& other) noexcept : handle_(other.handle_) {
        other.handle_ = nullptr;
    }
    PrinterHandle(const PrinterHandle&) = delete;
    PrinterHandle& operator=(const PrinterHandle&) = delete;
    PrinterHandle& operator=(PrinterHandle&&) = delete;

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    HANDLE handle_ = nullptr;
};

// Opens `name` with `access`; an empty owner when the spooler refuses.
inline PrinterHandle OpenPrinterFor(const char* name, ACCESS_MASK access) {
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, access};
    HANDLE handle = nullptr;
    if (!OpenPrinterA(const_cast<char*>(name), &handle, &defaults)) return PrinterHandle();
    return PrinterHandle(handle);
}

}  // namespace tq::helpers
