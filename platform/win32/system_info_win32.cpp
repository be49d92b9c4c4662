#include <windows.h>

#include "platform/system_info.h"

namespace tq {

namespace {

class Win32SystemInfo : public SystemInfo {
  public:
    OsVersion Version() override {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof(info);  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        GetVersionExA(&info);
#pragma GCC diagnostic pop
        return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
    }

    bool NativeArchitecture(std::uint16_t& architecture) override {
        using Fn = void(WINAPI*)(LPSYSTEM_INFO);
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        auto fn = kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(
                               GetProcAddress(kernel, "GetNativeSystemInfo")))
                         : nullptr;
        if (fn == nullptr) return false;
        SYSTEM_INFO si{};
        fn(&si);
        architecture = si.wProcessorArchitecture;
        return true;
    }
};

}  // namespace

SystemInfo& RealSystemInfo() {
    static Win32SystemInfo instance;
    return instance;
}

}  // namespace tq
