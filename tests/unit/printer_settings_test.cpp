#include "install/spooler/printer_settings.h"

#include <gtest/gtest.h>

#include "install/system/platform_class.h"
#include "tests/support/fake_setup_libraries.h"
#include "tests/support/fake_spooler.h"

namespace tq {
namespace {

using test::FakeSetupLibraries;
using test::FakeSpooler;

constexpr const char* kModel = "Kestra TQ8240 Series";
constexpr std::uint32_t kQueued = 0x1, kDirect = 0x2, kNetwork = 0x10, kRawOnly = 0x1000;

class FixedSystem : public SystemInfo {
  public:
    OsVersion Version() override { return version; }
    bool NativeArchitecture(std::uint16_t& arch) override {
        arch = 0;
        return true;
    }
    OsVersion version{2, 6, 1};  // Windows 7
};

struct PrinterSettingsFixture : ::testing::Test {
    FakeSpooler spooler;
    FakeSetupLibraries libraries;
    FixedSystem system;
    PrinterSettings settings{spooler, libraries, system};

    FakeSpooler::Queue& AddQueue(const char* name, std::uint32_t attributes) {
        spooler.AddQueue(name, "LPT1:", kModel, std::nullopt, attributes);
        auto& q = spooler.queues.back();
        q.comment = "kept comment";
        q.location = "kept location";
        return q;
    }
    void ExpectOtherFieldsKept(const FakeSpooler::Queue& q) {
        EXPECT_EQ(q.comment, "kept comment");
        EXPECT_EQ(q.location, "kept location");
        EXPECT_EQ(q.port, SpoolerText("LPT1:"));
        EXPECT_EQ(q.driver, SpoolerText(kModel));
    }
    void TearDown() override { EXPECT_EQ(spooler.openQueues, 0) << "a queue was left open"; }
};

TEST_F(PrinterSettingsFixture, DefaultOnWindows9xSetsOnlyTheDefaultBit) {
    AddQueue("Office", kQueued | kNetwork | kRawOnly);
    EXPECT_TRUE(settings.MakeDefaultPrinter("Office", Platform9x));
    const auto& q = spooler.queues[0];
    EXPECT_EQ(q.attributes, kQueued | kNetwork | kRawOnly | kPrinterAttributeDefault);
    ExpectOtherFieldsKept(q);
    EXPECT_EQ(spooler.announcements, std::vector<unsigned>{1000});
    EXPECT_TRUE(libraries.calls.empty());
}

TEST_F(PrinterSettingsFixture, DefaultOnEveryOtherClassGoesThroughSetupNt) {
    AddQueue("Office", kQueued);
    for (int platformClass :
         {PlatformOther, PlatformNt4, Platform2000, PlatformXp, PlatformVista}) {
        SCOPED_TRACE(platformClass);
        libraries.calls.clear();
        libraries.setDefaultResult = 1;
        EXPECT_TRUE(settings.MakeDefaultPrinter("Office", platformClass));
        EXPECT_EQ(libraries.calls, std::vector<std::string>{"SetDefault(Office)"});
        libraries.setDefaultResult = 0;  // refused, or library or export missing
        EXPECT_FALSE(settings.MakeDefaultPrinter("Office", platformClass));
    }
    EXPECT_EQ(spooler.queues[0].attributes, kQueued);
    EXPECT_TRUE(spooler.announcements.empty());
}

TEST_F(PrinterSettingsFixture, ShareOnTheNtFamilyKeepsOtherAttributesAndReplacesTheName) {
    auto& q = AddQueue("Office", kDirect | kPrinterAttributeShared);
    q.shareName = "OLDNAME";
    EXPECT_TRUE(settings.SetPrinterShare("Office", "KestraTQ"));
    EXPECT_EQ(spooler.queues[0].shareName, SpoolerText("KestraTQ"));
    EXPECT_EQ(spooler.queues[0].attributes, kDirect | kPrinterAttributeShared);
    ExpectOtherFieldsKept(spooler.queues[0]);
    EXPECT_TRUE(libraries.calls.empty());

    AddQueue("Plain", kQueued);
    EXPECT_TRUE(settings.SetPrinterShare("Plain", "PLAIN"));
    EXPECT_EQ(spooler.queues[1].attributes, kQueued | kPrinterAttributeShared);
    EXPECT_EQ(spooler.announcements.size(), 2u);
}

TEST_F(PrinterSettingsFixture, ShareOnWindows9xGoesThroughSetup9x) {
    AddQueue("Office", kQueued);
    system.version = {1, 4, 10};
    EXPECT_TRUE(settings.SetPrinterShare("Office", "KestraTQ"));
    libraries.sharePrinterResult = 0;
    EXPECT_FALSE(settings.SetPrinterShare("Office", "KestraTQ"));
    EXPECT_EQ(libraries.calls, (std::vector<std::string>{"SharePrinter(Office,KestraTQ)",
                                                         "SharePrinter(Office,KestraTQ)"}));
    EXPECT_EQ(spooler.queues[0].shareName, std::nullopt);
}

TEST_F(PrinterSettingsFixture, RenameWorksOnTheQueueNamedLikeTheModel) {
    AddQueue("Other", kQueued);
    AddQueue(kModel, kQueued | kDirect);
    EXPECT_TRUE(settings.RenameModelPrinter("My Kestra"));
    EXPECT_EQ(spooler.queues[0].name, SpoolerText("Other"));
    EXPECT_EQ(spooler.queues[1].name, SpoolerText("My Kestra"));
    EXPECT_EQ(spooler.queues[1].attributes, kQueued | kDirect);
    ExpectOtherFieldsKept(spooler.queues[1]);
}

TEST_F(PrinterSettingsFixture, RenameWithoutAModelQueueChangesNothing) {
    AddQueue("Other", kQueued);
    EXPECT_FALSE(settings.RenameModelPrinter("My Kestra"));
    EXPECT_EQ(spooler.queues[0].name, SpoolerText("Other"));
    EXPECT_TRUE(spooler.announcements.empty());
}

TEST_F(PrinterSettingsFixture, EveryFailingSpoolerStepGivesFalseAndClosesTheQueue) {
    AddQueue("Office", kQueued);
    for (auto* failing : {&spooler.failOpen, &spooler.failRead, &spooler.failWrite}) {
        failing->insert("Office");
        EXPECT_FALSE(settings.SetPrinterShare("Office", "S"));
        EXPECT_FALSE(settings.MakeDefaultPrinter("Office", Platform9x));
        EXPECT_EQ(spooler.openQueues, 0);
        failing->clear();
    }
    EXPECT_EQ(spooler.queues[0].attributes, kQueued);
    EXPECT_EQ(spooler.queues[0].shareName, std::nullopt);
    EXPECT_TRUE(spooler.announcements.empty());
}

TEST_F(PrinterSettingsFixture, DeleteRemovesTheQueueOrReportsFalse) {
    AddQueue("Office", kQueued);
    AddQueue("Keep", kQueued);
    EXPECT_FALSE(settings.DeletePrinterQueue("Missing"));
    spooler.failDelete.insert("Office");
    EXPECT_FALSE(settings.DeletePrinterQueue("Office"));
    spooler.failDelete.clear();
    EXPECT_TRUE(settings.DeletePrinterQueue("OFFICE"));
    ASSERT_EQ(spooler.queues.size(), 1u);
    EXPECT_EQ(spooler.queues[0].name, SpoolerText("Keep"));
}

}  // namespace
}  // namespace tq
