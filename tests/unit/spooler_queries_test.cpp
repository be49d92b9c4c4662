#include "install/spooler/spooler_queries.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/text.h"
#include "tests/support/fake_spooler.h"

namespace tq {
namespace {

using test::FakeSpooler;

constexpr const char* kModel = "Kestra TQ8240 Series";

TEST(SpoolerQueries, EmptySpoolerAnswersNotFound) {
    FakeSpooler spooler;
    EXPECT_FALSE(FindPrinterDriver(spooler, nullptr, kModel));
    EXPECT_FALSE(FindDriverPrinter(spooler, kModel, kModel));
    EXPECT_EQ(ListDriverPrinters(spooler, kModel, nullptr, 0), 0);
    EXPECT_FALSE(FindShareName(spooler, "share"));
    EXPECT_FALSE(FindMonitor(spooler, "Kestra Lang Monitor"));
}

TEST(SpoolerQueries, FailedEnumerationsAnswerNotFound) {
    FakeSpooler spooler;
    spooler.AddDriver(kModel).AddMonitor("Mon").AddQueue("Q", "LPT1:", kModel, "share");
    spooler.failDrivers = spooler.failPrinters = spooler.failMonitors = true;
    EXPECT_FALSE(FindPrinterDriver(spooler, nullptr, kModel));
    EXPECT_FALSE(FindDriverPrinter(spooler, kModel, "Q"));
    PrinterEntry entries[2] = {};
    EXPECT_EQ(ListDriverPrinters(spooler, kModel, entries, 2), 0);
    EXPECT_EQ(entries[0].name[0], '\0');
    EXPECT_FALSE(FindShareName(spooler, "share"));
    EXPECT_FALSE(FindMonitor(spooler, "Mon"));
}

TEST(SpoolerQueries, NamesCompareWithoutRegardToLatinCase) {
    FakeSpooler spooler;
    spooler.AddDriver("kestra tq8240 SERIES")
        .AddMonitor("KESTRA LANG MONITOR")
        .AddQueue("My Printer", "LPT1:", "KESTRA TQ8240 series", "OFFICE");
    EXPECT_TRUE(FindPrinterDriver(spooler, nullptr, kModel));
    EXPECT_TRUE(FindDriverPrinter(spooler, kModel, "MY PRINTER"));
    EXPECT_EQ(ListDriverPrinters(spooler, kModel, nullptr, 0), 1);
    EXPECT_TRUE(FindShareName(spooler, "office"));
    EXPECT_TRUE(FindMonitor(spooler, "Kestra Lang Monitor"));
    EXPECT_FALSE(FindPrinterDriver(spooler, nullptr, "Kestra TQ8240"));
}

TEST(SpoolerQueries, AbsentFieldsNeverMatch) {
    FakeSpooler spooler;
    spooler.AddDriver(std::nullopt).AddMonitor(std::nullopt);
    spooler
        .AddQueue(std::nullopt, "LPT1:", kModel)              // no printer name
        .AddQueue("NoDriver", "LPT2:", std::nullopt)          // no driver name
        .AddQueue("NoShare", "LPT3:", kModel, std::nullopt);  // not listed as shared
    EXPECT_FALSE(FindPrinterDriver(spooler, nullptr, ""));
    EXPECT_FALSE(FindMonitor(spooler, ""));
    EXPECT_FALSE(FindDriverPrinter(spooler, kModel, ""));
    EXPECT_FALSE(FindDriverPrinter(spooler, "", "NoDriver"));
    EXPECT_FALSE(FindShareName(spooler, ""));
    EXPECT_EQ(ListDriverPrinters(spooler, kModel, nullptr, 0), 1);
}

TEST(SpoolerQueries, FindDriverPrinterNeedsTheNameAndTheDriver) {
    FakeSpooler spooler;
    spooler.AddQueue("Office", "LPT1:", "Other Driver").AddQueue("Office2", "LPT1:", kModel);
    EXPECT_FALSE(FindDriverPrinter(spooler, kModel, "Office"));
    EXPECT_TRUE(FindDriverPrinter(spooler, kModel, "Office2"));
}

TEST(SpoolerQueries, ShareNameCountsWhetherOrNotTheQueueIsShared) {
    FakeSpooler spooler;
    spooler.AddQueue("Q", "LPT1:", "Other", "OLDSHARE", /*attributes=*/0);
    EXPECT_TRUE(FindShareName(spooler, "oldshare"));
}

TEST(ListDriverPrinters, ListsTheModelsQueuesInSpoolerOrderWithTheirPorts) {
    FakeSpooler spooler;
    spooler.AddQueue("Second", "192.168.0.20", kModel)
        .AddQueue("Other", "LPT2:", "Other Driver")
        .AddQueue("First", "LPT1:", kModel)
        .AddQueue("NoPort", std::nullopt, kModel);
    const int count = ListDriverPrinters(spooler, kModel, nullptr, 0);
    ASSERT_EQ(count, 3);

    std::vector<PrinterEntry> entries(3);
    EXPECT_EQ(ListDriverPrinters(spooler, kModel, entries.data(), entries.size()), count);
    EXPECT_EQ(FieldText(entries[0].name), "Second");
    EXPECT_EQ(FieldText(entries[0].port), "192.168.0.20");
    EXPECT_EQ(FieldText(entries[1].name), "First");
    EXPECT_EQ(FieldText(entries[1].port), "LPT1:");
    EXPECT_EQ(FieldText(entries[2].name), "NoPort");
    for (char c : entries[2].port) EXPECT_EQ(c, '\0');
}

TEST(ListDriverPrinters, CutsNamesLongerThanAFieldWithoutOverrun) {
    FakeSpooler spooler;
    const std::string longName(100, 'N');
    const std::string longPort(100, 'P');
    spooler.AddQueue(longName, longPort, kModel);
    PrinterEntry entries[2] = {};
    std::memset(&entries[1], 0x5A, sizeof(PrinterEntry));
    ASSERT_EQ(ListDriverPrinters(spooler, kModel, entries, 1), 1);
    EXPECT_EQ(FieldText(entries[0].name), std::string(63, 'N'));
    EXPECT_EQ(FieldText(entries[0].port), std::string(63, 'P'));
    EXPECT_EQ(entries[1].name[0], 0x5A);  // the neighbour record is untouched
}

TEST(ListDriverPrinters, AQueueAddedAfterTheCountIsNotWrittenBeyondTheArray) {
    FakeSpooler spooler;
    spooler.AddQueue("A", "LPT1:", kModel);
    spooler.addAfterNextPrinterListing.push_back({"B", "LPT2:", kModel, std::nullopt, 0, "", ""});
    const int count = ListDriverPrinters(spooler, kModel, nullptr, 0);
    ASSERT_EQ(count, 1);

    // ASan reports any write past the one-element array.
    std::vector<PrinterEntry> entries(static_cast<size_t>(count));
    EXPECT_EQ(ListDriverPrinters(spooler, kModel, entries.data(), entries.size()), 2);
    EXPECT_EQ(FieldText(entries[0].name), "A");
}

}  // namespace
}  // namespace tq
