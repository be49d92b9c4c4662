#include "platform/win32/spooler_win32.h"

#include <windows.h>
#include <winspool.h>

#include <memory>
#include <new>

namespace tq {

namespace {

SpoolerText Text(const char* s) {
    return s ? SpoolerText(s) : std::nullopt;
}

// The two-call form: ask for the size, allocate exactly that (zero-filled), ask again.
// `call(buffer, size, &needed, &returned)` is one winspool enumeration.
template <typename Call>
std::unique_ptr<BYTE[]> Enumerate(Call call, DWORD& returned) {
    DWORD needed = 0;
    returned = 0;
    call(nullptr, 0, &needed, &returned);
    if (needed == 0) return nullptr;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[needed]());
    if (!block) return nullptr;
    returned = 0;
    if (!call(block.get(), needed, &needed, &returned)) return nullptr;
    return block;
}

}  // namespace

bool Win32Spooler::ListDrivers(std::vector<DriverRecord>& out) {
    out.clear();
    DWORD count = 0;
    auto block = Enumerate(
        [](BYTE* buf, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrinterDriversA(nullptr, nullptr, 1, buf, size, needed, returned);
        },
        count);
    if (!block) return false;
    const auto* records = reinterpret_cast<const DRIVER_INFO_1A*>(block.get());
    for (DWORD i = 0; i < count; ++i) out.push_back({Text(records[i].pName)});
    return true;
}

bool Win32Spooler::ListPrinters(std::vector<PrinterRecord>& out) {
    out.clear();
    DWORD count = 0;
    auto block = Enumerate(
        [](BYTE* buf, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buf, size, needed, returned);
        },
        count);
    if (!block) return false;
    const auto* records = reinterpret_cast<const PRINTER_INFO_2A*>(block.get());
    for (DWORD i = 0; i < count; ++i) {
        const PRINTER_INFO_2A& r = records[i];
        out.push_back({Text(r.pPrinterName), Text(r.pShareName), Text(r.pPortName),
                       Text(r.pDriverName), r.Attributes});
    }
    return true;
}

bool Win32Spooler::ListMonitors(std::vector<MonitorRecord>& out) {
    out.clear();
    DWORD count = 0;
    auto block = Enumerate(
        [](BYTE* buf, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumMonitorsA(nullptr, 1, buf, size, needed, returned);
        },
        count);
    if (!block) return false;
    const auto* records = reinterpret_cast<const MONITOR_INFO_1A*>(block.get());
    for (DWORD i = 0; i < count; ++i) out.push_back({Text(records[i].pName)});
    return true;
}

}  // namespace tq
