// The sample medium's language monitor (T8242LM.dll, T8249LM.dll): a real print monitor DLL
// that the spooler can load and register, standing in for the product's. It passes every job
// straight to the port monitor underneath, so a queue that uses it still prints.
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

namespace {

// One open port: the port monitor's handle and table, as handed to OpenPortEx.
struct LanguagePort {
    HANDLE portHandle;
    MONITOR2* portMonitor;
};

LanguagePort* PortOf(HANDLE handle) {
    return static_cast<LanguagePort*>(handle);
}

BOOL Unsupported() {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

// A language monitor has no ports of its own.
BOOL WINAPI EnumPorts(HANDLE, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD needed, LPDWORD returned) {
    if (needed != nullptr) *needed = 0;
    if (returned != nullptr) *returned = 0;
    return TRUE;
}

BOOL WINAPI OpenPortEx(HANDLE, HANDLE portMonitorHandle, LPWSTR portName, LPWSTR, PHANDLE handle,
                       MONITOR2* portMonitor) {
    if (handle == nullptr || portMonitor == nullptr || portMonitor->pfnOpenPort == nullptr) {
        return Unsupported();
    }
    HANDLE portHandle = nullptr;
    if (!portMonitor->pfnOpenPort(portMonitorHandle, portName, &portHandle)) return FALSE;
    auto* port = static_cast<LanguagePort*>(HeapAlloc(GetProcessHeap(), 0, sizeof(LanguagePort)));
    if (port == nullptr) {
        if (portMonitor->pfnClosePort != nullptr) portMonitor->pfnClosePort(portHandle);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    port->portHandle = portHandle;
    port->portMonitor = portMonitor;
    *handle = port;
    return TRUE;
}

BOOL WINAPI StartDocPort(HANDLE handle, LPWSTR printerName, DWORD jobId, DWORD level,
                         LPBYTE docInfo) {
    LanguagePort* port = PortOf(handle);
    if (port->portMonitor->pfnStartDocPort == nullptr) return Unsupported();
    return port->portMonitor->pfnStartDocPort(port->portHandle, printerName, jobId, level, docInfo);
}

BOOL WINAPI WritePort(HANDLE handle, LPBYTE buffer, DWORD size, LPDWORD written) {
    LanguagePort* port = PortOf(handle);
    if (port->portMonitor->pfnWritePort == nullptr) return Unsupported();
    return port->portMonitor->pfnWritePort(port->portHandle, buffer, size, written);
}

BOOL WINAPI ReadPort(HANDLE handle, LPBYTE buffer, DWORD size, LPDWORD read) {
    LanguagePort* port = PortOf(handle);
    if (port->portMonitor->pfnReadPort == nullptr) return Unsupported();
    return port->portMonitor->pfnReadPort(port->portHandle, buffer, size, read);
}

BOOL WINAPI EndDocPort(HANDLE handle) {
    LanguagePort* port = PortOf(handle);
    if (port->portMonitor->pfnEndDocPort == nullptr) return Unsupported();
    return port->portMonitor->pfnEndDocPort(port->portHandle);
}

BOOL WINAPI ClosePort(HANDLE handle) {
    LanguagePort* port = PortOf(handle);
    const BOOL closed = port->portMonitor->pfnClosePort != nullptr
                            ? port->portMonitor->pfnClosePort(port->portHandle)
                            : TRUE;
    HeapFree(GetProcessHeap(), 0, port);
    return closed;
}

BOOL WINAPI SetPortTimeOuts(HANDLE handle, LPCOMMTIMEOUTS timeouts, DWORD reserved) {
    LanguagePort* port = PortOf(handle);
    if (port->portMonitor->pfnSetPortTimeOuts == nullptr) return Unsupported();
    return port->portMonitor->pfnSetPortTimeOuts(port->portHandle, timeouts, reserved);
}

VOID WINAPI Shutdown(HANDLE) {}

// Everything else (adding, configuring and deleting ports, the Xcv channel) is the port
// monitor's business and stays empty.
MONITOR2 MakeTable() {
    MONITOR2 table{};
    table.cbSize = sizeof(MONITOR2);
    table.pfnEnumPorts = EnumPorts;
    table.pfnOpenPortEx = OpenPortEx;
    table.pfnStartDocPort = StartDocPort;
    table.pfnWritePort = WritePort;
    table.pfnReadPort = ReadPort;
    table.pfnEndDocPort = EndDocPort;
    table.pfnClosePort = ClosePort;
    table.pfnSetPortTimeOuts = SetPortTimeOuts;
    table.pfnShutdown = Shutdown;
    return table;
}

MONITOR2 g_table = MakeTable();
int g_monitor;  // its address is the monitor handle; the monitor keeps no state

}  // namespace

extern "C" __declspec(dllexport) LPMONITOR2 WINAPI
    InitializePrintMonitor2(MONITORINIT*, PHANDLE monitor) {
    if (monitor != nullptr) *monitor = &g_monitor;
    return &g_table;
}
