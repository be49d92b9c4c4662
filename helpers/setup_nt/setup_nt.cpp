#include "helpers/setup_nt/setup_nt.h"

#include <windows.h>
#include <winspool.h>
#include <setupapi.h>
#include <cfgmgr32.h>

#include <cstddef>
#include <cstring>

#include "helpers/common/bounded_text.h"
#include "helpers/common/printer_handle.h"
#include "helpers/setup_nt/system_library.h"

namespace {

using tq::helpers::Append;
using tq::helpers::BoundedLength;
using tq::helpers::OpenPrinterFor;
using tq::helpers::PrinterHandle;
using tq::helpers::SystemLibrary;

constexpr std::size_t kPathSize = 260;
constexpr std::size_t kPortBufferSize = 260;
constexpr int kSharedNetworkPrinter = 3;

// Adds `name` to the Local Port monitor. A port of that name already there counts as done.
bool AddLocalPort(const wchar_t* name) {
    SystemLibrary winspool("winspool.drv");
    auto xcvData = winspool.Find<decltype(&XcvDataW)>("XcvDataW");
    if (xcvData == nullptr) return false;
    PrinterHandle xcv = OpenPrinterFor(",XcvMonitor Local Port", SERVER_ACCESS_ADMINISTER);
    if (!xcv) return false;
    const DWORD bytes = static_cast<DWORD>((wcslen(name) + 1) * sizeof(wchar_t));
    DWORD needed = 0;
    DWORD status = ERROR_SUCCESS;
    if (!xcvData(xcv.get(), L"AddPort", reinterpret_cast<BYTE*>(const_cast<wchar_t*>(name)), bytes,
                 nullptr, 0, &needed, &status)) {
        return false;
    }
    return status == ERROR_SUCCESS || status == ERROR_ALREADY_EXISTS;
}

}  // namespace

extern "C" int __cdecl CopyInf(const char* folder, const char* infName) {
    if (folder == nullptr || infName == nullptr || *folder == '\0' || *infName == '\0') return 0;
    char source[kPathSize] = "";
    if (!Append(source, folder) || !Append(source, "\\Driver")) return 0;
    char inf[kPathSize] = "";
    if (!Append(inf, source) || !Append(inf, "\\") || !Append(inf, infName)) return 0;

    SystemLibrary setupApi("setupapi.dll");
    auto copyOemInf = setupApi.Find<decltype(&SetupCopyOEMInfA)>("SetupCopyOEMInfA");
    if (copyOemInf == nullptr) return 0;
    // The Driver folder is recorded as the source, so the driver's other files are found there
    // when the driver is installed from this INF. The destination name is not asked for: after
    // a failure Wine leaves garbage in that buffer and an invalid pointer behind.
    return copyOemInf(inf, source, SPOST_PATH, 0, nullptr, 0, nullptr, nullptr) ? 1 : 0;
}

extern "C" int __cdecl InstallPort(const char* portName, int connectionType, char* portBuffer) {
    if (connectionType != kSharedNetworkPrinter || portName == nullptr || portBuffer == nullptr) {
        return 0;
    }
    // Refused rather than cut: an empty name or one of 260 bytes or more is no usable port
    // (Wine's Local Port monitor accepts both, and then its port enumeration hangs or fails).
    const std::size_t length = BoundedLength(portName, kPortBufferSize);
    if (length == 0 || length >= kPortBufferSize) return 0;
    wchar_t wide[kPortBufferSize];
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, portName, -1, wide,
                            static_cast<int>(kPortBufferSize)) == 0) {
        return 0;
    }
    // A local port named \\server\share sends the queue's jobs to that share. The buffer keeps
    // that name, so the queue is made on this port.
    std::memmove(portBuffer, portName, length + 1);
    return AddLocalPort(wide) ? 1 : 0;
}

extern "C" int __cdecl RefreshLocalDevNode(void) {
    SystemLibrary cfgmgr("cfgmgr32.dll");
    auto locate = cfgmgr.Find<decltype(&CM_Locate_DevNodeA)>("CM_Locate_DevNodeA");
    auto reenumerate = cfgmgr.Find<decltype(&CM_Reenumerate_DevNode)>("CM_Reenumerate_DevNode");
    if (locate == nullptr || reenumerate == nullptr) return 0;
    DEVINST root = 0;
    if (locate(&root, nullptr, CM_LOCATE_DEVNODE_NORMAL) != CR_SUCCESS) return 0;
    // Synchronous: a printer plugged in meanwhile has its device node before the driver update
    // that the installer makes next.
    return reenumerate(root, CM_REENUMERATE_SYNCHRONOUS) == CR_SUCCESS ? 1 : 0;
}

extern "C" int __cdecl SetDefault(const char* printerName) {
    // No name or an empty one leaves an existing default in place and still reports success.
    if (printerName == nullptr || *printerName == '\0') return 0;
    // From Windows 2000 on; without it there is no way here, and the call fails.
    SystemLibrary winspool("winspool.drv");
    auto setDefault = winspool.Find<decltype(&SetDefaultPrinterA)>("SetDefaultPrinterA");
    return setDefault != nullptr && setDefault(printerName) ? 1 : 0;
}
