#include "platform/win32/system_names_win32.h"

#include <windows.h>

#include <string>
#include <type_traits>

#include "platform/win32/owners.h"

namespace tq {

namespace {

// netapi32 and its share types, looked up at run time: Windows 9x has neither, and the
// library is taken from the system folder, never from the medium beside the installer.
constexpr DWORD kShareInfoLevel1 = 1;
constexpr DWORD kNerrSuccess = 0;
constexpr DWORD kNerrNetNameNotFound = 2310;
constexpr DWORD kShareTypeMask = 0xFF;
constexpr DWORD kShareTypePrintQueue = 1;  // STYPE_PRINTQ
struct ShareInfo1 {                        // SHARE_INFO_1
    wchar_t* netname;
    DWORD type;
    wchar_t* remark;
};
using NetShareGetInfoFn = DWORD(WINAPI*)(wchar_t*, wchar_t*, DWORD, BYTE**);
using NetApiBufferFreeFn = DWORD(WINAPI*)(void*);
using CompareStringOrdinalFn = int(WINAPI*)(const wchar_t*, int, const wchar_t*, int, BOOL);

std::wstring Wide(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], length);
    return wide;
}

}  // namespace

ShareKind Win32SystemNames::FindShare(const std::string& name) {
    char path[MAX_PATH] = "";
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    const std::string library = std::string(path, length < MAX_PATH ? length : 0) + "\\netapi32.dll";
    LoadedLibrary netapi(library.c_str());
    const auto getInfo = netapi.Export<std::remove_pointer_t<NetShareGetInfoFn>>("NetShareGetInfo");
    const auto freeBuffer =
        netapi.Export<std::remove_pointer_t<NetApiBufferFreeFn>>("NetApiBufferFree");
    std::wstring wide = Wide(name);
    if (getInfo == nullptr || freeBuffer == nullptr || wide.empty()) return ShareKind::Unknown;
    BYTE* buffer = nullptr;
    const DWORD status = getInfo(nullptr, &wide[0], kShareInfoLevel1, &buffer);
    if (status == kNerrNetNameNotFound) return ShareKind::None;
    if (status != kNerrSuccess || buffer == nullptr) {
        if (buffer != nullptr) freeBuffer(buffer);
        return ShareKind::Unknown;
    }
    const DWORD type = reinterpret_cast<ShareInfo1*>(buffer)->type & kShareTypeMask;
    freeBuffer(buffer);
    return type == kShareTypePrintQueue ? ShareKind::PrintQueue : ShareKind::Other;
}

bool Win32SystemNames::SameName(std::string_view a, std::string_view b) {
    std::wstring wa = Wide(a);
    std::wstring wb = Wide(b);
    if ((wa.empty() && !a.empty()) || (wb.empty() && !b.empty())) return a == b;
    const auto compare = reinterpret_cast<CompareStringOrdinalFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "CompareStringOrdinal")));
    if (compare != nullptr) {
        return compare(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                       static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
    }
    if (!wa.empty()) CharUpperBuffW(&wa[0], static_cast<DWORD>(wa.size()));
    if (!wb.empty()) CharUpperBuffW(&wb[0], static_cast<DWORD>(wb.size()));
    return wa == wb;
}

}  // namespace tq
