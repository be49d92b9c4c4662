#include "install/system/platform_class.h"

#include <gtest/gtest.h>

namespace tq {
namespace {

class FakeSystem : public SystemInfo {
  public:
    FakeSystem(OsVersion v, bool hasNative, std::uint16_t arch)
        : version(v), hasNativeInfo(hasNative), architecture(arch) {}
    OsVersion Version() override { return version; }
    bool NativeArchitecture(std::uint16_t& arch) override {
        ++nativeLookups;
        if (!hasNativeInfo) return false;
        arch = architecture;
        return true;
    }
    OsVersion version;
    bool hasNativeInfo;
    std::uint16_t architecture;
    int nativeLookups = 0;
};

constexpr std::uint16_t kX86 = 0, kIa64 = 6, kAmd64 = 9, kArm64 = 12;

struct Row {
    const char* system;
    std::uint32_t platformId, major, minor;
    bool hasNative;
    std::uint16_t arch;
    int platformClass;
    int processorClass;
    bool looksUpNativeInfo;
};

const Row kRows[] = {
    {"Windows 95", 1, 4, 0, false, kX86, 1, 0, false},
    {"Windows 98", 1, 4, 10, false, kX86, 1, 0, false},
    {"Windows Me", 1, 4, 90, false, kX86, -1, -1, false},
    {"NT 3.51", 2, 3, 51, false, kX86, 2, -1, false},
    {"NT 4.0", 2, 4, 0, false, kX86, 2, -1, false},
    {"Windows 2000 (even on AMD64 info)", 2, 5, 0, true, kAmd64, 3, 1, false},
    {"XP x86 without GetNativeSystemInfo", 2, 5, 1, false, kAmd64, 4, 1, true},
    {"XP x86", 2, 5, 1, true, kX86, 4, 1, true},
    {"XP x64 / 2003 on AMD64", 2, 5, 2, true, kAmd64, 4, 2, true},
    {"2003 on IA64", 2, 5, 2, true, kIa64, 4, 2, true},
    {"Vista on AMD64", 2, 6, 0, true, kAmd64, 5, 2, true},
    {"7 on x86", 2, 6, 1, true, kX86, 5, 1, true},
    {"10 on AMD64", 2, 10, 0, true, kAmd64, 5, 2, true},
    {"11 on ARM64: refused before any change", 2, 10, 0, true, kArm64, 5, 3, true},
    {"Win32s", 0, 3, 10, true, kX86, -1, -1, false},
    {"Windows CE", 3, 5, 0, true, kX86, -1, -1, false},
};

TEST(PlatformDetection, EveryRowOfTheTables) {
    for (const Row& r : kRows) {
        SCOPED_TRACE(r.system);
        FakeSystem forPlatform({r.platformId, r.major, r.minor}, r.hasNative, r.arch);
        EXPECT_EQ(GetPlatformClass(forPlatform), r.platformClass);
        EXPECT_EQ(forPlatform.nativeLookups, 0);

        FakeSystem forProcessor({r.platformId, r.major, r.minor}, r.hasNative, r.arch);
        EXPECT_EQ(GetProcessorClass(forProcessor), r.processorClass);
        EXPECT_EQ(forProcessor.nativeLookups, r.looksUpNativeInfo ? 1 : 0);
    }
}

}  // namespace
}  // namespace tq
