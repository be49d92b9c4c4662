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
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        // An x86 program emulated on ARM64 may be told of an Intel machine by GetNativeSystemInfo;
        // IsWow64Process2 (Windows 10 1709 and later) names the machine itself.
        using Wow64Process2 = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
        auto wow64 = kernel ? reinterpret_cast<Wow64Process2>(reinterpret_cast<void*>(
                                  GetProcAddress(kernel, "IsWow64Process2")))
                            : nullptr;
        USHORT process = 0, native = 0;
        if (wow64 != nullptr && wow64(GetCurrentProcess(), &process, &native)) {
            switch (native) {
                case IMAGE_FILE_MACHINE_ARM64: architecture = PROCESSOR_ARCHITECTURE_ARM64; return true;
                case IMAGE_FILE_MACHINE_AMD64: architecture = PROCESSOR_ARCHITECTURE_AMD64; return true;
                case IMAGE_FILE_MACHINE_IA64: architecture = PROCESSOR_ARCHITECTURE_IA64; return true;
                case IMAGE_FILE_MACHINE_I386: architecture = PROCESSOR_ARCHITECTURE_INTEL; return true;
                default: break;
            }
        }
        using Fn = void(WINAPI*)(LPSYSTEM_INFO);
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
