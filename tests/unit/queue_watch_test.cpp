#include "install/spooler/queue_watch.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/fake_spooler.h"

namespace tq {
namespace {

using test::FakeSpooler;
using Names = std::vector<std::string>;

constexpr char kModel[] = "Kestra TQ8240 Series";
constexpr char kOther[] = "Contoso Laser 500";

void Add(FakeSpooler& s, const char* name, const char* driver) {
    s.AddQueue(name, "USB001", driver);
}
void Remove(FakeSpooler& s, const char* name) {
    for (auto it = s.queues.begin(); it != s.queues.end(); ++it) {
        if (it->name == SpoolerText(name)) {
            s.queues.erase(it);
            return;
        }
    }
}

// One poll: what changes in the spooler before it, what it answers, whether it read the
// records and listed the names.
struct Poll {
    std::function<void(FakeSpooler&)> change;
    bool readRecords;  // asked by the caller
    Names answer;
    bool read;
    bool listed = true;
};

// Polls a watch of the model's queues, after a first poll that reads "Kestra A" (the model's)
// and "Contoso 1" (another driver's).
void ExpectPolls(bool reportsChanges, const std::vector<Poll>& polls) {
    FakeSpooler spooler;
    spooler.reportsChanges = reportsChanges;
    Add(spooler, "Kestra A", kModel);
    Add(spooler, "Contoso 1", kOther);
    DriverQueueWatch watch(spooler, kModel);
    EXPECT_EQ(watch.Poll(true), Names{"Kestra A"});
    for (std::size_t i = 0; i < polls.size(); ++i) {
        SCOPED_TRACE(i + 1);
        const Poll& poll = polls[i];
        poll.change(spooler);
        const int namesBefore = spooler.nameListings;
        const int recordsBefore = spooler.printerListings;
        EXPECT_EQ(watch.Poll(poll.readRecords), poll.answer);
        EXPECT_EQ(spooler.printerListings - recordsBefore, poll.read ? 1 : 0);
        EXPECT_EQ(spooler.nameListings - namesBefore, poll.listed ? 1 : 0);
    }
}

TEST(DriverQueueWatch, ReadsTheRecordsOnlyInThePollsWhereTheNamesChanged) {
    const auto nothing = [](FakeSpooler&) {};
    struct Case {
        const char* what;
        std::vector<Poll> polls;
    };
    const Case cases[] = {
        {"quiet polls list the names alone",
         {{nothing, false, {"Kestra A"}, false}, {nothing, false, {"Kestra A"}, false}}},
        {"another driver's queue is read and changes nothing",
         {{[](FakeSpooler& s) { Add(s, "Contoso 2", kOther); }, false, {"Kestra A"}, true},
          {nothing, false, {"Kestra A"}, false}}},
        {"a new queue of the driver is in the answer of the poll it appears in",
         {{nothing, false, {"Kestra A"}, false},
          {[](FakeSpooler& s) { Add(s, "Kestra B", kModel); },
           false,
           {"Kestra A", "Kestra B"},
           true},
          {nothing, false, {"Kestra A", "Kestra B"}, false}}},
        {"a queue of the driver replaced by another in one poll",
         {{[](FakeSpooler& s) {
               Remove(s, "Kestra A");
               Add(s, "Kestra B", kModel);
           },
           false,
           {"Kestra B"},
           true}}},
        {"the caller asks",
         {{nothing, true, {"Kestra A"}, true}, {nothing, false, {"Kestra A"}, false}}},
        {"a driver changed under the same name waits for a read",
         {{[](FakeSpooler& s) { s.queues[1].driver = kModel; }, false, {"Kestra A"}, false},
          {nothing, true, {"Kestra A", "Contoso 1"}, true}}},
        {"names that cannot be listed: every poll reads",
         {{[](FakeSpooler& s) { s.failNames = true; }, false, {"Kestra A"}, true},
          {nothing, false, {"Kestra A"}, true},
          {[](FakeSpooler& s) { s.failNames = false; }, false, {"Kestra A"}, true},
          {nothing, false, {"Kestra A"}, false}}},
        {"a read that failed finds nothing and is made again at the next poll",
         {{[](FakeSpooler& s) {
               s.failPrinters = true;
               Add(s, "Kestra B", kModel);
           },
           false,
           {},
           true},
          {[](FakeSpooler& s) { s.failPrinters = false; }, false, {"Kestra A", "Kestra B"}, true},
          {nothing, false, {"Kestra A", "Kestra B"}, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectPolls(false, c.polls);
    }
}

TEST(DriverQueueWatch, ListsNothingWhileTheSpoolerReportsNoChange) {
    const auto nothing = [](FakeSpooler&) {};
    struct Case {
        const char* what;
        std::vector<Poll> polls;
    };
    const Case cases[] = {
        {"quiet polls ask the spooler for nothing",
         {{nothing, false, {"Kestra A"}, false, false},
          {nothing, false, {"Kestra A"}, false, false}}},
        {"another driver's queue: listed and read, the same answer",
         {{[](FakeSpooler& s) { Add(s, "Contoso 2", kOther); }, false, {"Kestra A"}, true, true},
          {nothing, false, {"Kestra A"}, false, false}}},
        {"a new queue of the driver is in the answer of the poll it is reported in",
         {{[](FakeSpooler& s) { Add(s, "Kestra B", kModel); },
           false,
           {"Kestra A", "Kestra B"},
           true,
           true}}},
        {"a change that leaves the names alone is listed, not read",
         {{[](FakeSpooler& s) { s.queues[1].port = "LPT2:"; }, false, {"Kestra A"}, false, true},
          {nothing, false, {"Kestra A"}, false, false}}},
        {"names that cannot be listed: every poll lists and reads",
         {{[](FakeSpooler& s) { s.failNames = true; }, false, {"Kestra A"}, false, false},
          {[](FakeSpooler& s) { Add(s, "Kestra B", kModel); },
           false,
           {"Kestra A", "Kestra B"},
           true,
           true},
          {nothing, false, {"Kestra A", "Kestra B"}, true, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectPolls(true, c.polls);
    }
}

TEST(DriverQueueWatch, AQueueWhoseDriverChangesUnderItsNameIsSeenAtTheRegularRead) {
    FakeSpooler spooler;
    Add(spooler, "USB Printer", kOther);
    DriverQueueWatch watch(spooler, kModel);
    EXPECT_EQ(watch.Poll(), Names{});
    spooler.queues[0].driver = kModel;
    for (int poll = 1; poll < DriverQueueWatch::kReadEvery; ++poll) {
        ASSERT_EQ(watch.Poll(), Names{}) << poll;
    }
    EXPECT_EQ(spooler.printerListings, 1);
    EXPECT_EQ(watch.Poll(), Names{"USB Printer"});
    EXPECT_EQ(spooler.printerListings, 2);
}

TEST(DriverQueueWatch, NamesAreCutAsAQueueListingCutsThem) {
    FakeSpooler spooler;
    spooler.AddQueue(std::string(100, 'N'), "USB001", kModel);
    DriverQueueWatch watch(spooler, kModel);
    EXPECT_EQ(watch.Poll(), Names{std::string(63, 'N')});
}

}  // namespace
}  // namespace tq
