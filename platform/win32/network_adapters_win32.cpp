#include "platform/win32/network_adapters_win32.h"

#include <windows.h>
#include <iphlpapi.h>

#include <cstring>

#include "platform/win32/owners.h"

namespace tq {
namespace {

constexpr ULONG kFirstBufferSize = 640;

// The text of a fixed char array of the record, never read past the array.
template <std::size_t N>
std::string FieldString(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

}  // namespace

bool Win32NetworkAdapters::ListAddresses(std::vector<AdapterAddress>& out) {
    out.clear();
    LoadedLibrary iphlpapi(library_.c_str());
    auto* const getAdaptersInfo = iphlpapi.Export<decltype(GetAdaptersInfo)>("GetAdaptersInfo");
    if (getAdaptersInfo == nullptr) return false;
    // operator new storage is aligned for the records the call writes into it.
    std::vector<unsigned char> buffer(kFirstBufferSize);
    ULONG size = kFirstBufferSize;
    if (getAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size) ==
        ERROR_BUFFER_OVERFLOW) {
        buffer.assign(size, 0);
    }
    size = static_cast<ULONG>(buffer.size());
    if (getAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size) != NO_ERROR) {
        return false;
    }
    for (const IP_ADAPTER_INFO* adapter = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data());
         adapter != nullptr; adapter = adapter->Next) {
        const std::string description = FieldString(adapter->Description);
        for (const IP_ADDR_STRING* entry = &adapter->IpAddressList; entry != nullptr;
             entry = entry->Next) {
            out.push_back({description, FieldString(entry->IpAddress.String)});
        }
    }
    return true;
}

}  // namespace tq
