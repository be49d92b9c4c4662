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

// Enumerates into records of type Info and converts each into the interface's record.
template <typename Info, typename Record, typename Call, typename Convert>
bool EnumerateInto(std::vector<Record>& out, Call call, Convert convert) {
    out.clear();
    DWORD count = 0;
    auto block = Enumerate(call, count);
    if (!block) return false;
    const auto* records = reinterpret_cast<const Info*>(block.get());
    for (DWORD i = 0; i < count; ++i) out.push_back(convert(records[i]));
    return true;
}

}  // namespace

bool Win32Spooler::ListDrivers(std::vector<DriverRecord>& out) {
    return EnumerateInto<DRIVER_INFO_1A>(
        out,
        [](BYTE* buf, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrinterDriversA(nullptr, nullptr, 1, buf, size, needed, returned);
        },
        [](const DRIVER_INFO_1A& r) { return DriverRecord{Text(r.pName)}; });
}

bool Win32Spooler::ListPrinters(std::vector<PrinterRecord>& out) {
    return EnumerateInto<PRINTER_INFO_2A>(
        out,
        [](BYTE* buf, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buf, size, needed, returned);
        },
        [](const PRINTER_INFO_2A& r) {
            return PrinterRecord{Text(r.pPrinterName), Text(r.pShareName), Text(r.pPortName),
                                 Text(r.pDriverName), r.Attributes};
        });
}

bool Win32Spooler::ListMonitors(std::vector<MonitorRecord>& out) {
    return EnumerateInto<MONITOR_INFO_1A>(
        out,
        [](BYTE* buf, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumMonitorsA(nullptr, 1, buf, size, needed, returned);
        },
        [](const MONITOR_INFO_1A& r) { return MonitorRecord{Text(r.pName)}; });
}

}  // namespace tq
