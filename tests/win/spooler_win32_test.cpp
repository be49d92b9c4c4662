#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/spooler/spooler_queries.h"
#include "platform/text.h"
#include "platform/win32/spooler_win32.h"

namespace tq {
namespace {

constexpr char kModel[] = "Kestra TQ8240 Series";

bool AddDriver(const char* name) {
    std::string driverName = name;
    std::string driverPath = "placeholder.dll", dataFile = "placeholder.ppd",
                configFile = "placeholder-ui.dll";
    DRIVER_INFO_3A info{};
    info.cVersion = 3;
    info.pName = driverName.data();
    info.pDriverPath = driverPath.data();
    info.pDataFile = dataFile.data();
    info.pConfigFile = configFile.data();
    return AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&info)) != FALSE;
}

bool AddQueue(const char* name, const char* port, const char* driver, const char* share) {
    std::string n = name, p = port, d = driver, processor = "WinPrint", type = "RAW";
    std::string s = share ? share : "";
    PRINTER_INFO_2A info{};
    info.pPrinterName = n.data();
    info.pPortName = p.data();
    info.pDriverName = d.data();
    info.pPrintProcessor = processor.data();
    info.pDatatype = type.data();
    if (share) {
        info.pShareName = s.data();
        info.Attributes = PRINTER_ATTRIBUTE_SHARED;
    }
    HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (h == nullptr) return false;
    ClosePrinter(h);
    return true;
}

// One spooler for the whole program: the prefix is fresh for this test program, and the
// cases build on each other in order.
class Win32SpoolerTest : public ::testing::Test {
  protected:
    Win32Spooler spooler;
};

TEST_F(Win32SpoolerTest, AFreshPrefixHasNoQueuesOfTheModel) {
    std::vector<PrinterRecord> printers;
    spooler.ListPrinters(printers);  // may hold queues Wine made itself
    EXPECT_FALSE(FindDriverPrinter(spooler, kModel, kModel));
    EXPECT_EQ(ListDriverPrinters(spooler, kModel, nullptr, 0), 0);
    EXPECT_FALSE(FindPrinterDriver(spooler, nullptr, kModel));
    // A kept listing answers even a spooler without queues.
    std::vector<SpoolerText> names;
    EXPECT_TRUE(spooler.MakeQueueListing()->Names(names));
    EXPECT_EQ(names.size(), printers.size());
}

TEST_F(Win32SpoolerTest, ListsAndMatchesQueuesCreatedThroughTheSpooler) {
    ASSERT_TRUE(AddDriver(kModel));
    ASSERT_TRUE(AddDriver("Other Driver"));
    ASSERT_TRUE(AddQueue("Kestra First", "LPT1:", kModel, nullptr));
    ASSERT_TRUE(AddQueue("Someone Else", "LPT2:", "Other Driver", "OTHERSHARE"));
    ASSERT_TRUE(AddQueue("Kestra Second", "192.168.0.20", kModel, nullptr));

    EXPECT_TRUE(FindPrinterDriver(spooler, nullptr, "KESTRA tq8240 series"));
    EXPECT_FALSE(FindPrinterDriver(spooler, nullptr, "Kestra TQ8240"));
    // Registered for this program's own environment; another one is asked about separately.
    EXPECT_TRUE(FindPrinterDriver(spooler, "Windows x64", kModel));
    EXPECT_FALSE(FindPrinterDriver(spooler, "Windows NT x86", kModel));
    EXPECT_TRUE(FindDriverPrinter(spooler, kModel, "kestra first"));
    EXPECT_FALSE(FindDriverPrinter(spooler, kModel, "Someone Else"));
    EXPECT_TRUE(FindShareName(spooler, "othershare"));
    EXPECT_FALSE(FindShareName(spooler, "nosuchshare"));

    const int count = ListDriverPrinters(spooler, kModel, nullptr, 0);
    ASSERT_EQ(count, 2);
    std::vector<PrinterEntry> entries(static_cast<size_t>(count), PrinterEntry{});
    ASSERT_EQ(ListDriverPrinters(spooler, kModel, entries.data(), entries.size()), 2);

    // Spooler order, whatever it is, with each queue's own port.
    std::vector<PrinterRecord> printers;
    ASSERT_TRUE(spooler.ListPrinters(printers));
    std::vector<std::pair<std::string, std::string>> expected;
    for (const auto& p : printers) {
        if (p.driverName && MbsEqualNoCase(*p.driverName, kModel)) {
            expected.emplace_back(*p.printerName, p.portName.value_or(""));
        }
    }
    ASSERT_EQ(expected.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(FieldText(entries[i].name), expected[i].first);
        EXPECT_EQ(FieldText(entries[i].port), expected[i].second);
    }
    EXPECT_EQ(expected[0].second == "LPT1:" ? expected[1].second : expected[0].second,
              "192.168.0.20");
}

// The shared printer page's check: a printer opened for use and its driver read back.
TEST_F(Win32SpoolerTest, PrinterForUseNamesItsDriverOrTheOpenError) {
    ASSERT_TRUE(AddDriver("Other Driver"));
    ASSERT_TRUE(AddQueue("For Use", "LPT2:", "Other Driver", nullptr));
    const PrinterForUse local = spooler.ReadPrinterForUse("For Use");
    EXPECT_TRUE(local.opened);
    EXPECT_TRUE(local.read);
    EXPECT_EQ(local.driverName, SpoolerText("Other Driver"));

    const PrinterForUse unknown = spooler.ReadPrinterForUse("\\\\NOSUCHSERVER\\printer");
    EXPECT_FALSE(unknown.opened);
    EXPECT_EQ(unknown.openError, 1801u) << "ERROR_INVALID_PRINTER_NAME";

    // Wine opens "\\<this computer>\<queue>" (the name as GetComputerNameA spells it) but
    // cannot read the record through that handle.
    char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof computer;
    ASSERT_TRUE(GetComputerNameA(computer, &size));
    const PrinterForUse remote =
        spooler.ReadPrinterForUse(std::string("\\\\") + computer + "\\For Use");
    EXPECT_TRUE(remote.opened);
    EXPECT_FALSE(remote.read) << "Wine now reads a printer opened by its server name: the "
                                 "shared printer scenario can check the driver end to end";
}

// The queue watcher's listing, kept across calls while the queues outgrow the buffers it had:
// names (level 4) and records (level 2) as ListPrinters gives them, in its order.
TEST_F(Win32SpoolerTest, AKeptListingAnswersAsListPrintersWhileTheQueuesOutgrowItsBuffers) {
    ASSERT_TRUE(AddDriver("Other Driver"));
    const auto listing = spooler.MakeQueueListing();
    const auto expectListPrinters = [&] {
        std::vector<PrinterRecord> expected;
        ASSERT_TRUE(spooler.ListPrinters(expected));
        std::vector<SpoolerText> names;
        std::vector<PrinterRecord> records;
        ASSERT_TRUE(listing->Names(names));
        ASSERT_TRUE(listing->Printers(records));
        ASSERT_EQ(names.size(), expected.size());
        ASSERT_EQ(records.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(names[i], expected[i].printerName);
            EXPECT_EQ(records[i].printerName, expected[i].printerName);
            EXPECT_EQ(records[i].shareName, expected[i].shareName);
            EXPECT_EQ(records[i].portName, expected[i].portName);
            EXPECT_EQ(records[i].driverName, expected[i].driverName);
            EXPECT_EQ(records[i].attributes, expected[i].attributes);
        }
    };
    expectListPrinters();
    // A level-4 record is two pointers and a word besides its name: sixty such names take more
    // than the 4 KiB the first listing of names kept.
    for (int i = 1; i <= 60; ++i) {
        const std::string name = "Queue of a kept listing, with a long name, " + std::to_string(i);
        ASSERT_TRUE(AddQueue(name.c_str(), "LPT2:", "Other Driver", nullptr));
        if (i % 20 == 0) expectListPrinters();
    }
    std::vector<SpoolerText> names;
    ASSERT_TRUE(listing->Names(names));
    EXPECT_GE(names.size(), 60u);
}

// The listing hears of changes from the spooler's registry key: a queue added, one whose
// record is written, one deleted; nothing in between.
TEST_F(Win32SpoolerTest, AKeptListingHearsWhenTheQueuesMayHaveChanged) {
    ASSERT_TRUE(AddDriver("Other Driver"));
    const auto listing = spooler.MakeQueueListing();
    EXPECT_TRUE(listing->MayHaveChanged()) << "nothing is known at first";
    EXPECT_FALSE(listing->MayHaveChanged());
    ASSERT_TRUE(AddQueue("Changing Queue", "LPT2:", "Other Driver", nullptr));
    EXPECT_TRUE(listing->MayHaveChanged());
    EXPECT_FALSE(listing->MayHaveChanged());
    {
        const auto queue = spooler.OpenQueue("Changing Queue");
        ASSERT_NE(queue, nullptr);
        const auto settings = queue->ReadSettings();
        ASSERT_NE(settings, nullptr);
        settings->SetAttributes(settings->Attributes() | PRINTER_ATTRIBUTE_HIDDEN);
        ASSERT_TRUE(queue->WriteSettings(*settings));
    }
    EXPECT_TRUE(listing->MayHaveChanged());
    EXPECT_FALSE(listing->MayHaveChanged());
    {
        const auto queue = spooler.OpenQueue("Changing Queue");
        ASSERT_NE(queue, nullptr);
        ASSERT_TRUE(queue->Delete());
    }
    EXPECT_TRUE(listing->MayHaveChanged());
    EXPECT_FALSE(listing->MayHaveChanged());
}

TEST_F(Win32SpoolerTest, MonitorsAreEnumerated) {
    // A fresh prefix has the "Local Port" monitor.
    EXPECT_TRUE(FindMonitor(spooler, "local port"));
    EXPECT_FALSE(FindMonitor(spooler, "No Such Monitor"));
}

}  // namespace
}  // namespace tq
