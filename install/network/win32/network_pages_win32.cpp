#include "install/network/win32/network_pages_win32.h"

#include <cstdio>

#include "platform/win32/threads_win32.h"
#include "install/network/adapter_dialog.h"
#include "install/network/host_address.h"
#include "install/network/printer_search.h"
#include "install/res/resource.h"
#include "platform/win32/sockets_win32.h"

namespace tq {

void Win32NetworkPages::CreatePort(const std::string& name, PortProtocol protocol) {
    CreateTcpIpPort(s_.monitor, name, protocol);
    s_.log.Line(DescribePortRequest(name, protocol));
}

void Win32NetworkPages::RunSearchDialog(Page& owner) {
    SearchDialog dialog(s_.ui, *this, openSearch_, lastChosen_);
    s_.host.RunChild(dialog, owner);
}

std::string Win32NetworkPages::ReadHostAddress() {
    return tq::ReadHostAddress(s_.paths, s_.files, s_.profile);
}

bool Win32NetworkPages::RunAdapterDialog(Page& owner) {
    AdapterDialog dialog(
        s_.ui, s_.adapters,
        [this](const std::string& address) {
            StoreHostAddress(s_.paths, s_.files, s_.profile, address);
        },
        stdout);
    return s_.host.RunChild(dialog, owner) == IDOK;
}

void Win32NetworkPages::StartSearch(Page& dialog, int number, const std::string& hostAddress) {
    const auto it = s_.host.open.find(&dialog);
    if (it == s_.host.open.end()) return;
    HWND window = it->second;
    PrinterSearchSettings settings;
    settings.hostAddress = hostAddress;
    const std::string caption = s_.ui.LoadText(IDS_APP_TITLE);
    const OpenSearchDialog& open = openSearch_;
    StartThread([window, number, settings, caption, &open] {
        // Sent, not posted: the data lives on this thread's stack until the dialog took it.
        SearchHandover handover(open, number, [window](unsigned message, int n, const void* data) {
            SendMessageA(window, message, static_cast<WPARAM>(n),
                         reinterpret_cast<LPARAM>(data));
        });
        Win32Sockets sockets;
        const SearchResult result = RunPrinterSearch(sockets, settings, handover);
        if (const char* text = SearchResultMessage(result)) {
            MessageBoxA(nullptr, text, caption.c_str(), MB_OK);
        }
    });
}

}  // namespace tq
