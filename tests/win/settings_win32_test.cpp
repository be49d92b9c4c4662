// The printer settings operations on real queues of Wine's spooler, through the Win32 spooler
// adapter and the helper libraries beside this program.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/model.h"
#include "install/spooler/printer_settings.h"
#include "install/system/platform_class.h"
#include "platform/win32/setup_libraries_win32.h"
#include "platform/win32/spooler_win32.h"

namespace tq {
namespace {

const std::string kModel(kModelDriverName);

bool AddDriver(const std::string& name) {
    std::string n = name, path = "placeholder.dll", data = "placeholder.dat", config = "pi.dll";
    DRIVER_INFO_3A info{};
    info.cVersion = 3;
    info.pName = n.data();
    info.pDriverPath = path.data();
    info.pDataFile = data.data();
    info.pConfigFile = config.data();
    return AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&info)) != FALSE;
}

bool AddQueue(const std::string& name, DWORD attributes, const char* comment) {
    std::string n = name, port = "LPT1:", driver = kModel, processor = "WinPrint", type = "RAW";
    std::string c = comment;
    PRINTER_INFO_2A info{};
    info.pPrinterName = n.data();
    info.pPortName = port.data();
    info.pDriverName = driver.data();
    info.pPrintProcessor = processor.data();
    info.pDatatype = type.data();
    info.pComment = c.data();
    info.Attributes = attributes;
    HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (h == nullptr) return false;
    ClosePrinter(h);
    return true;
}

// The queue's level-2 record as EnumPrintersA reports it.
struct Seen {
    bool found = false;
    std::string share, comment, port;
    DWORD attributes = 0;
};

Seen Look(const std::string& name) {
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed);
    Seen seen;
    if (needed == 0 ||
        !EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, block.data(), needed, &needed, &count)) {
        return seen;
    }
    const auto* records = reinterpret_cast<const PRINTER_INFO_2A*>(block.data());
    for (DWORD i = 0; i < count; ++i) {
        if (records[i].pPrinterName && name == records[i].pPrinterName) {
            seen.found = true;
            seen.share = records[i].pShareName ? records[i].pShareName : "";
            seen.comment = records[i].pComment ? records[i].pComment : "";
            seen.port = records[i].pPortName ? records[i].pPortName : "";
            seen.attributes = records[i].Attributes;
        }
    }
    return seen;
}

class PrinterSettingsOnWine : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_TRUE(AddDriver(kModel)); }
    Win32Spooler spooler;
    Win32SetupLibraries libraries;
    PrinterSettings settings{spooler, libraries, RealSystemInfo()};
};

TEST_F(PrinterSettingsOnWine, ShareKeepsTheOtherFieldsAndReplacesAnEarlierName) {
    const DWORD kept = PRINTER_ATTRIBUTE_QUEUED | PRINTER_ATTRIBUTE_DIRECT;
    ASSERT_TRUE(AddQueue("Share Me", kept, "kept comment"));
    ASSERT_TRUE(settings.SetPrinterShare("Share Me", "FIRST"));
    ASSERT_TRUE(settings.SetPrinterShare("Share Me", "KestraTQ"));
    const Seen seen = Look("Share Me");
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.share, "KestraTQ");
    EXPECT_EQ(seen.attributes & (kept | PRINTER_ATTRIBUTE_SHARED), kept | PRINTER_ATTRIBUTE_SHARED);
    EXPECT_EQ(seen.comment, "kept comment");
    EXPECT_EQ(seen.port, "LPT1:");
    EXPECT_FALSE(settings.SetPrinterShare("No Such Queue", "X"));
}

TEST_F(PrinterSettingsOnWine, RenameGivesTheModelsQueueTheChosenName) {
    EXPECT_FALSE(settings.RenameModelPrinter("Renamed Kestra")) << "no queue of the model name yet";
    ASSERT_TRUE(AddQueue(kModel, PRINTER_ATTRIBUTE_QUEUED, "from plug and play"));
    ASSERT_TRUE(settings.RenameModelPrinter("Renamed Kestra"));
    const Seen renamed = Look("Renamed Kestra");
    ASSERT_TRUE(renamed.found);
    EXPECT_EQ(renamed.comment, "from plug and play");
    EXPECT_FALSE(Look(kModel).found);
}

TEST_F(PrinterSettingsOnWine, DeleteRemovesTheQueueOnce) {
    ASSERT_TRUE(AddQueue("Delete Me", 0, ""));
    EXPECT_TRUE(settings.DeletePrinterQueue("Delete Me"));
    EXPECT_FALSE(Look("Delete Me").found);
    EXPECT_FALSE(settings.DeletePrinterQueue("Delete Me"));
}

TEST_F(PrinterSettingsOnWine, DefaultGoesThroughTheHelperLibraryBesideTheProgram) {
    ASSERT_TRUE(AddQueue("Make Me Default", 0, ""));
    ASSERT_TRUE(settings.MakeDefaultPrinter("Make Me Default", GetPlatformClass(RealSystemInfo())));
    char name[256] = {};
    DWORD size = sizeof(name);
    ASSERT_TRUE(GetDefaultPrinterA(name, &size));
    EXPECT_STREQ(name, "Make Me Default");
    EXPECT_FALSE(settings.MakeDefaultPrinter("No Such Queue", PlatformVista));
}

TEST(SetupLibrariesOnWine, AMissingLibraryOrExportIsAFailedCallNeverACallThrough) {
    // tqbeside.dll lies beside this program but has none of the exports.
    for (const char* library : {"tqnosuchlibrary.dll", "tqbeside.dll"}) {
        SCOPED_TRACE(library);
        Win32SetupLibraries libraries(library, library);
        char port[kPortBufferSize] = "\\\\server\\share";
        EXPECT_EQ(libraries.CopyInf("C:\\", "T8242if.inf"), 0);
        EXPECT_EQ(libraries.InstallPort(port, 3, port), 0);
        EXPECT_STREQ(port, "\\\\server\\share");
        EXPECT_EQ(libraries.RefreshLocalDevNode(), 0);
        EXPECT_EQ(libraries.SetDefault("Any"), 0);
        EXPECT_EQ(libraries.SharePrinter("Any", "Share"), 0);
    }
}

}  // namespace
}  // namespace tq
