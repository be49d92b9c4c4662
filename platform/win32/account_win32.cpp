#include <windows.h>

#include "platform/account.h"
#include "platform/win32/owners.h"

namespace tq {

namespace {

template <typename Fn>
Fn* Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

bool RunsAsLocalSystem() {
    // Looked up at run time: Windows 9x has no tokens. advapi32 is already loaded (the registry
    // functions), so nothing is loaded here.
    const HMODULE advapi = GetModuleHandleA("advapi32.dll");
    if (advapi == nullptr) return false;
    using OpenTokenFn = BOOL WINAPI(HANDLE, DWORD, PHANDLE);
    using TokenInformationFn = BOOL WINAPI(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
    using EqualSidFn = BOOL WINAPI(PSID, PSID);
    auto* const openToken = Export<OpenTokenFn>(advapi, "OpenProcessToken");
    auto* const tokenInformation = Export<TokenInformationFn>(advapi, "GetTokenInformation");
    auto* const equalSid = Export<EqualSidFn>(advapi, "EqualSid");
    if (openToken == nullptr || tokenInformation == nullptr || equalSid == nullptr) return false;

    HANDLE raw = nullptr;
    if (!openToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    const KernelHandle token(raw);
    // A TOKEN_USER with room for the largest SID (68 bytes): one call.
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + 68];
    } buffer{};
    DWORD size = 0;
    if (!tokenInformation(token.get(), TokenUser, &buffer, sizeof(buffer), &size)) return false;
    SID localSystem = {SID_REVISION, 1, SECURITY_NT_AUTHORITY, {SECURITY_LOCAL_SYSTEM_RID}};
    return equalSid(buffer.user.User.Sid, &localSystem) != FALSE;
}

}  // namespace tq
