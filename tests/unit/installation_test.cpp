#include "install/engine/installation.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "install/system/platform_class.h"
#include "tests/support/fake_progress.h"
#include "tests/support/fake_setup_libraries.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/scripted_steps.h"

namespace tq {
namespace {

using test::FakeSetupLibraries;
using test::FakeSpooler;
using test::RecordingProgress;

using test::ScriptedSteps;
using test::ScriptedUsbWait;

using Posts = std::vector<std::pair<int, long>>;

Posts PostsOf(const RecordingProgress& progress) {
    Posts posts;
    for (const auto& e : progress.events) {
        if (e.kind == RecordingProgress::Event::Post) posts.emplace_back(e.stage, e.argument);
    }
    return posts;
}

struct RunRig {
    RecordingProgress progress;
    InstallJob job;
    ScriptedSteps steps;
    std::atomic<int> pnpSucceeded{0};
    ScriptedUsbWait usb{pnpSucceeded};
    InstallationRun run{Parallel, kWaitForever, steps, usb, pnpSucceeded, usb.Starter()};
    RunRig() {
        job.progress = &progress;
        job.platformClass = PlatformXp;
        job.processorClass = Processor32;
    }
};

struct ThreadFixture : ::testing::Test, RunRig {};

TEST_F(ThreadFixture, AParallelInstallationRunsTheStepsInOrderAndPostsEachStage) {
    EXPECT_EQ(RunInstallation(job, run), 1);
    EXPECT_EQ(steps.calls, (std::vector<std::string>{"stage", "place", "replace", "register",
                                                     "shortcuts", "uninstall"}));
    EXPECT_EQ(PostsOf(progress), (Posts{{StageStart, 48},
                                        {StageCopy, 0},
                                        {StageInstall, 0},
                                        {StageShortcuts, 0},
                                        {StageDone, 0}}));
    EXPECT_TRUE(usb.waits.empty());
}

TEST_F(ThreadFixture, EachFailingStepEndsTheRunWithTheFailureStage) {
    for (const char* failing : {"stage", "place", "replace", "register", "shortcuts", "uninstall"}) {
        SCOPED_TRACE(failing);
        RecordingProgress p;
        job.progress = &p;
        steps.calls.clear();
        steps.failing = failing;
        run.connectionType = Network;
        EXPECT_EQ(RunInstallation(job, run), 0);
        EXPECT_EQ(steps.calls.back(), failing);
        EXPECT_EQ(PostsOf(p).back(), (std::pair<int, long>{StageFailed, 0}));
    }
}

TEST_F(ThreadFixture, AUsbInstallationWaitsForThePlugAndPlayOutcome) {
    run.connectionType = Usb;
    usb.report = 1;
    EXPECT_EQ(RunInstallation(job, run), 1);
    EXPECT_EQ(PostsOf(progress), (Posts{{StageStart, 48},
                                        {StageCopy, 0},
                                        {StageInstall, 0},
                                        {StagePnpWait, 0},
                                        {StagePnpWait, 1},
                                        {StageShortcuts, 0},
                                        {StageDone, 0}}));
}

TEST_F(ThreadFixture, Windows9xCountsItsStepsAndAFailedDriverUpdateEndsTheRun) {
    job.platformClass = Platform9x;
    run.connectionType = Usb;
    usb.report = 1;
    EXPECT_EQ(RunInstallation(job, run), 1);
    EXPECT_EQ(PostsOf(progress).front(), (std::pair<int, long>{StageStart, 37}));

    job.platformClass = PlatformVista;
    steps.calls.clear();
    steps.failing = "pnp";
    RecordingProgress p;
    job.progress = &p;
    EXPECT_EQ(RunInstallation(job, run), 0);
    EXPECT_EQ(PostsOf(p).back(), (std::pair<int, long>{StageFailed, 0}));
}

// The USB wait: what ends it, what the run does then, and that the watcher has always been
// stopped and waited for before the run goes on.
TEST(UsbWait, Outcomes) {
    const std::vector<std::string> done = {"stage", "place", "replace", "pnp", "shortcuts",
                                           "uninstall"};
    const std::vector<std::string> failed = {"stage", "place", "replace", "pnp"};
    struct Case {
        const char* what;
        int platformClass;
        unsigned limit;
        int report, reportWhileStopping;
        bool watcherStarts;
        int result;
        bool queueLater;
        std::vector<std::string> steps;
        std::pair<int, long> afterWait;  // the post that follows (StagePnpWait, 0)
    };
    const Case cases[] = {
        {"the wizard: the queue is set up", PlatformXp, kWaitForever, 1, -1, true, 1, false, done,
         {StagePnpWait, 1}},
        {"the wizard: the prompt gives up", PlatformXp, kWaitForever, 0, -1, true, 0, false,
         failed, {StageFailed, 1}},
        {"given up while the watcher set a queue up: the first report decides", PlatformXp,
         kWaitForever, 0, 1, true, 0, false, failed, {StageFailed, 1}},
        {"the limit runs out: the driver is ready, the queue comes later", PlatformVista, 60000,
         -1, -1, true, 1, true, done, {StageShortcuts, 0}},
        {"the limit runs out while a queue is set up: it counts", PlatformVista, 0, -1, 1, true,
         1, false, done, {StagePnpWait, 1}},
        {"the limit runs out while a queue fails to be set up", PlatformVista, 0, -1, 0, true, 0,
         false, failed, {StageFailed, 1}},
        {"no watcher", PlatformVista, kWaitForever, -1, -1, false, 0, false, failed,
         {StageFailed, 1}},
        {"Windows 9x: no driver update; the hardware wizard prepared, the source written back",
         Platform9x, kWaitForever, 1, -1, true, 1, false,
         {"stage", "place", "replace", "prepare 9x", "restore 9x", "shortcuts", "uninstall"},
         {StagePnpWait, 1}},
        {"Windows 9x: the source is written back after a wait given up too", Platform9x,
         kWaitForever, 0, -1, true, 0, false,
         {"stage", "place", "replace", "prepare 9x", "restore 9x"}, {StageFailed, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunRig r;
        r.job.platformClass = c.platformClass;
        r.run.connectionType = Usb;
        r.run.usbWaitMs = c.limit;
        r.usb.report = c.report;
        r.usb.reportWhileStopping = c.reportWhileStopping;
        r.usb.watcherStarts = c.watcherStarts;
        EXPECT_EQ(RunInstallation(r.job, r.run), c.result);
        EXPECT_EQ(r.job.queueLater, c.queueLater);
        EXPECT_EQ(r.steps.calls, c.steps);
        const Posts posts = PostsOf(r.progress);
        const auto wait = std::find(posts.begin(), posts.end(), std::pair<int, long>{StagePnpWait, 0});
        ASSERT_NE(wait, posts.end());
        ASSERT_NE(wait + 1, posts.end());
        EXPECT_EQ(*(wait + 1), c.afterWait);
        if (c.watcherStarts) {
            EXPECT_EQ(r.usb.waits.front(), c.limit) << "the wait is as long as asked";
            EXPECT_EQ(r.usb.watchersJoined, 1);
            EXPECT_TRUE(r.usb.stoppedBeforeJoin);
            EXPECT_FALSE(r.usb.pending) << "a late report is consumed";
        }
    }
}

class FixedSystem : public SystemInfo {
  public:
    OsVersion Version() override { return {2, 6, 1}; }
    bool NativeArchitecture(std::uint16_t& a) override {
        a = 0;
        return true;
    }
};

// A watcher over a fake spooler, as the installer wires it, that counts its sleeps.
struct WatcherRig {
    FakeSpooler spooler;
    FakeSetupLibraries libraries;
    FixedSystem system;
    PrinterSettings printers{spooler, libraries, system};
    WizardSettings settings;
    std::atomic<int> pnpSucceeded{0};
    ScriptedUsbWait signals{pnpSucceeded};
    std::atomic<bool> stop{false};
    int readyPosts = 0;
    int flagWhenReady = -1;
    int sleeps = 0;
    std::function<void()> onSleep;
    QueueWatcher watcher{spooler,
                         printers,
                         system,
                         settings,
                         pnpSucceeded,
                         signals,
                         [this] {
                             ++readyPosts;
                             flagWhenReady = pnpSucceeded.load();
                         },
                         [this] {
                             ++sleeps;
                             if (onSleep) onSleep();
                         },
                         stop};
    WatcherRig() {
        spooler.AddDriver("Kestra TQ8240 Series");
        settings.SetPrinterName("Kestra TQ8240 Series");
        settings.setAsDefault = 0;
    }
    // Plug-and-play makes the queue after a few polls.
    void PlugInAfter(int polls, const std::string& name) {
        onSleep = [this, polls, name] {
            if (sleeps == polls) spooler.AddQueue(name, "USB001", "Kestra TQ8240 Series");
        };
    }
};

struct WatcherFixture : ::testing::Test, WatcherRig {};

TEST_F(WatcherFixture, PollsUntilANewQueueAppearsThenConfiguresItAndReports) {
    settings.SetPrinterName("Office USB");
    settings.renameRequired = 1;
    settings.setAsDefault = 1;
    settings.shareEnabled = 1;
    settings.SetShareName("KestraTQ");
    PlugInAfter(3, "Kestra TQ8240 Series");
    EXPECT_TRUE(watcher.Run());
    EXPECT_EQ(sleeps, 3);
    ASSERT_EQ(spooler.queues.size(), 1u);
    EXPECT_EQ(spooler.queues[0].name, SpoolerText("Office USB"));
    EXPECT_EQ(spooler.queues[0].shareName, SpoolerText("KestraTQ"));
    EXPECT_EQ(libraries.calls, std::vector<std::string>{"SetDefault(Office USB)"});
    EXPECT_EQ(readyPosts, 1);
    EXPECT_EQ(flagWhenReady, 0) << "the prompt hears first, then the flag is set";
    EXPECT_EQ(pnpSucceeded.load(), 1);
    EXPECT_EQ(signals.pnpSignals, 1);
}

TEST_F(WatcherFixture, AnEarlierQueueOfTheModelNameIsLeftAloneAndTheNewOneConfigured) {
    spooler.AddQueue("Kestra TQ8240 Series", "USB001", "Kestra TQ8240 Series");
    settings.SetPrinterName("Second Kestra");
    settings.renameRequired = 1;
    PlugInAfter(1, "Kestra TQ8240 Series (Copy 1)");
    EXPECT_TRUE(watcher.Run());
    EXPECT_EQ(spooler.queues[0].name, SpoolerText("Kestra TQ8240 Series"));
    EXPECT_EQ(spooler.queues[1].name, SpoolerText("Second Kestra"));
}

TEST_F(WatcherFixture, ASucceededDriverUpdateEndsThePollAtOnce) {
    pnpSucceeded = 1;
    spooler.AddQueue("Kestra TQ8240 Series", "USB001", "Kestra TQ8240 Series");
    EXPECT_TRUE(watcher.Run());
    EXPECT_EQ(sleeps, 0);
    EXPECT_EQ(readyPosts, 1);
}

TEST_F(WatcherFixture, AStopEndsThePollWithoutAReportUnlessAQueueCameInThatPoll) {
    stop = true;
    EXPECT_FALSE(watcher.Run());
    EXPECT_EQ(signals.pnpSignals, 0);
    EXPECT_EQ(readyPosts, 0);

    // The queue is there at the first poll after the stop: it is set up to the end.
    stop = false;
    onSleep = [this] {
        stop = true;
        spooler.AddQueue("Kestra TQ8240 Series", "USB001", "Kestra TQ8240 Series");
    };
    EXPECT_TRUE(watcher.Run());
    EXPECT_EQ(signals.pnpSignals, 1);
    EXPECT_EQ(pnpSucceeded.load(), 1);
}

TEST_F(WatcherFixture, TheFirstFailingStepStopsAndReportsFailure) {
    settings.setAsDefault = 1;
    settings.shareEnabled = 1;
    settings.SetShareName("KestraTQ");
    libraries.setDefaultResult = 0;
    PlugInAfter(1, "Kestra TQ8240 Series");
    EXPECT_FALSE(watcher.Run());
    EXPECT_EQ(spooler.queues[0].shareName, std::nullopt) << "share not tried after the default";
    EXPECT_EQ(readyPosts, 0);
    EXPECT_EQ(pnpSucceeded.load(), 0);
    EXPECT_EQ(signals.pnpSignals, 1);
}

constexpr char kModel[] = "Kestra TQ8240 Series";
constexpr char kOther[] = "Contoso Laser 500";

// The wait ends in the poll where the model has more queues than before, whatever else the
// spooler does meanwhile, and the queue configured is the first of the model's not there before;
// with change reports from the spooler or without.
TEST(QueueWatcherWait, EndsInThePollWhereTheModelHasMoreQueuesThanBefore) {
    using Change = std::function<void(FakeSpooler&)>;
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, const char*>> queues;  // name and driver, at the start
        std::map<int, Change> afterSleep;  // what the spooler does after that many sleeps
        int driverUpdateDoneAfter;         // pnpSucceeded set after that many sleeps (-1: never)
        int sleeps;                        // when the wait ends
        const char* configured;            // the queue that becomes "Office USB"
    };
    const auto add = [](const char* name, const char* driver) {
        return [name, driver](FakeSpooler& s) { s.AddQueue(name, "USB001", driver); };
    };
    const Case cases[] = {
        {"another driver's queue does not end the wait; the model's does",
         {{"Contoso 1", kOther}},
         {{1, add("Contoso 2", kOther)}, {4, add(kModel, kModel)}},
         -1,
         4,
         kModel},
        {"a model queue replaced by another in one poll is no new queue; the first of the model's "
         "not there before is configured when one more comes",
         {{"Kestra A", kModel}},
         {{1,
           [](FakeSpooler& s) {
               s.queues.clear();
               s.AddQueue("Kestra B", "USB001", kModel);
           }},
          {3, add("Kestra C", kModel)}},
         -1,
         3,
         "Kestra B"},
        {"a queue whose name changed in case alone was there before",
         {{"Kestra Office", kModel}},
         {{2,
           [](FakeSpooler& s) {
               s.queues[0].name = "KESTRA OFFICE";
               s.AddQueue("Kestra TQ8240 Series (Copy 1)", "USB001", kModel);
           }}},
         -1,
         2,
         "Kestra TQ8240 Series (Copy 1)"},
        {"a queue whose driver changes under its name shows in no list of names: it is found when "
         "the driver update is reported done",
         {{"USB Printer", kOther}},
         {{1, [](FakeSpooler& s) { s.queues[0].driver = kModel; }}},
         3,
         3,
         "USB Printer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool reportsChanges : {false, true}) {
            SCOPED_TRACE(reportsChanges ? "the spooler reports changes" : "no change reports");
            WatcherRig rig;
            rig.spooler.reportsChanges = reportsChanges;
            for (const auto& [name, driver] : c.queues) {
                rig.spooler.AddQueue(name, "USB001", driver);
            }
            rig.settings.SetPrinterName("Office USB");
            rig.settings.renameRequired = 1;
            rig.onSleep = [&rig, &c] {
                const auto change = c.afterSleep.find(rig.sleeps);
                if (change != c.afterSleep.end()) change->second(rig.spooler);
                if (rig.sleeps == c.driverUpdateDoneAfter) rig.pnpSucceeded = 1;
            };
            EXPECT_TRUE(rig.watcher.Run());
            EXPECT_EQ(rig.sleeps, c.sleeps);
            EXPECT_NE(rig.spooler.FindQueue("Office USB"), nullptr);
            EXPECT_EQ(rig.spooler.FindQueue(c.configured), nullptr) << "renamed";
        }
    }
}

}  // namespace
}  // namespace tq
