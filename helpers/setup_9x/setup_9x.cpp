#include "helpers/setup_9x/setup_9x.h"

#include <windows.h>
#include <winspool.h>

#include "helpers/common/printer_handle.h"

namespace {

// Owns a zero-filled block from the process heap.
class Block {
  public:
    explicit Block(DWORD size) : data_(static_cast<BYTE*>(LocalAlloc(LPTR, size))) {}
    ~Block() {
        if (data_ != nullptr) LocalFree(data_);
    }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;

    BYTE* get() const { return data_; }

  private:
    BYTE* data_;
};

}  // namespace

extern "C" int __cdecl SharePrinter(const char* printerName, const char* shareName) {
    using tq::helpers::OpenPrinterFor;
    using tq::helpers::PrinterHandle;
    if (printerName == nullptr || shareName == nullptr || *printerName == '\0' ||
        *shareName == '\0') {
        return 0;
    }
    PrinterHandle printer = OpenPrinterFor(printerName, PRINTER_ALL_ACCESS);
    if (!printer) return 0;

    // The whole level-2 record is written back, so every other setting of the queue stays.
    DWORD needed = 0;
    SetLastError(ERROR_SUCCESS);
    if (!GetPrinterA(printer.get(), 2, nullptr, 0, &needed) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return 0;
    }
    if (needed == 0) return 0;
    Block record(needed);
    if (record.get() == nullptr || !GetPrinterA(printer.get(), 2, record.get(), needed, &needed))
        return 0;

    auto* info = reinterpret_cast<PRINTER_INFO_2A*>(record.get());
    info->pShareName = const_cast<char*>(shareName);
    info->Attributes |= PRINTER_ATTRIBUTE_SHARED;
    return SetPrinterA(printer.get(), 2, record.get(), 0) ? 1 : 0;
}
