#include "install/app/progress_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "install/res/resource.h"
#include "tests/support/fake_registry.h"
#include "tests/support/fake_ui.h"
#include "tests/support/fake_system_paths.h"

namespace tq {
namespace {

using test::FakeControls;
using test::FakeRegistry;
using test::FakeUi;
using test::TextOf;

struct Signals : InstallSignals {
    std::vector<std::string> log;
    void RequestPause() override { log.push_back("pause"); }
    void Resume() override { log.push_back("resume"); }
    void SignalPnp() override { log.push_back("pnp"); }
    bool WaitForPnp(unsigned) override { return false; }
};

// Child dialogs that run at once: the test then delivers what would arrive during the run.
struct Dialogs : ChildDialogs {
    std::vector<std::string> log;
    std::function<void(Page& child)> whileRunning;
    int RunChild(Page& child, Page&) override {
        log.push_back("run");
        FakeControls controls;
        if (notShown) return kChildNotShown;
        child.Open(controls);
        childControls = &controls;
        if (whileRunning) whileRunning(child);
        childControls = nullptr;
        return 0;
    }
    bool notShown = false;
    void End(Page&, int code) override { log.push_back("end " + std::to_string(code)); }
    FakeControls* childControls = nullptr;
};

struct Paths : test::FakeSystemPaths {
    Paths() { module = "D:\\TQ82Ins.exe"; }
};

struct Processes_ : Processes {
    std::vector<std::string> started;
    bool StartProgram(const std::string& commandLine, int show) override {
        started.push_back(commandLine + " /" + std::to_string(show));
        return true;
    }
    ProgramRun RunAndWait(const std::string&, int, unsigned) override { return {}; }
};

struct ProgressFixture : ::testing::Test {
    WizardSettings settings;
    FakeUi ui;
    Signals signals;
    std::atomic<int> pnpSucceeded{7};
    Dialogs dialogs;
    FakeRegistry registry;
    Paths paths;
    Processes_ processes;
    int installationsStarted = 0;
    bool installationStarts = true;
    std::vector<Page*> promptsShown;
    ProgressServices services{settings,
                              ui,
                              signals,
                              pnpSucceeded,
                              dialogs,
                              registry,
                              paths,
                              processes,
                              [this](Page&) {
                                  ++installationsStarted;
                                  return installationStarts;
                              },
                              [this](Page* prompt) { promptsShown.push_back(prompt); },
                              [] { return std::string("C:\\Program Files\\x.dll"); }};
    FakeControls controls;
    ProgressPage page{services};

    void SetUp() override {
        settings.SetPrinterName("Office");
        page.Open(controls);
    }
    void Deliver(int stage, long argument) {
        page.OnMessage(kProgressMessage, static_cast<std::uintptr_t>(stage), argument, controls);
    }
};

TEST_F(ProgressFixture, OpeningStartsTheInstallationAtOnce) {
    EXPECT_EQ(installationsStarted, 1);
    EXPECT_EQ(pnpSucceeded.load(), 0);
    EXPECT_EQ(controls.c(IDC_PROGRESS_REGISTER).text, TextOf(IDS_REGISTER_PREFIX) + "Office");
    EXPECT_FALSE(controls.c(IDC_PROGRESS_REGISTER).visible);
    EXPECT_TRUE(page.HasAppWindowStyle());
    EXPECT_TRUE(page.TakesMessage(kProgressMessage));
    EXPECT_FALSE(page.TakesMessage(1024));  // the dialog manager's own
}

TEST_F(ProgressFixture, StagesDriveTheStatusLineFileLineAndBar) {
    Deliver(StageStart, 48);
    const auto& bar = controls.c(IDC_PROGRESS_BAR);
    EXPECT_EQ(bar.high, 100);
    EXPECT_EQ(bar.step, 2);
    EXPECT_EQ(controls.c(IDC_PROGRESS_STATUS).text, TextOf(IDS_STATUS_START));
    Deliver(StageCopy, 0);
    EXPECT_EQ(controls.c(IDC_PROGRESS_STATUS).text, TextOf(IDS_STATUS_COPY));
    Deliver(StageCopy, 1);
    EXPECT_EQ(controls.c(IDC_PROGRESS_FILE).text, "C:\\Program Files\\x.dll");
    EXPECT_EQ(bar.position, 2);
    Deliver(StageInstall, 0);
    EXPECT_EQ(controls.c(IDC_PROGRESS_STATUS).text, TextOf(IDS_STATUS_INSTALL));
    EXPECT_EQ(controls.c(IDC_PROGRESS_FILE).text, "");
    Deliver(StageInstall, 1);
    Deliver(StageShortcuts, 0);
    EXPECT_EQ(controls.c(IDC_PROGRESS_STATUS).text, TextOf(IDS_STATUS_SHORTCUTS));
    Deliver(StageShortcuts, 1);
    EXPECT_EQ(bar.position, 6);
    Deliver(99, 1);  // unknown stages change nothing
    EXPECT_EQ(bar.position, 6);

    // NT 4.0's 68 steps give a step of 1; an unknown platform's 0 steps never divide.
    Deliver(StageStart, 68);
    EXPECT_EQ(bar.step, 1);
    Deliver(StageStart, 0);
    EXPECT_EQ(bar.step, 0);
}

TEST_F(ProgressFixture, CompletionShowsTheNameAndTurnsCancelIntoClose) {
    Deliver(StageDone, 0);
    EXPECT_TRUE(page.finished());
    EXPECT_EQ(pnpSucceeded.load(), 1);
    EXPECT_EQ(controls.c(IDC_PROGRESS_HEADING).text, TextOf(IDS_DONE_HEADING) + "Office");
    EXPECT_EQ(controls.c(IDC_PROGRESS_STATUS).text, TextOf(IDS_DONE_STATUS));
    EXPECT_FALSE(controls.c(IDC_PROGRESS_FILE).visible);
    EXPECT_FALSE(controls.c(IDC_PROGRESS_BAR).visible);
    EXPECT_TRUE(controls.c(IDC_PROGRESS_REGISTER).checked);
    EXPECT_EQ(controls.c(kIdCancel).text, TextOf(IDS_BUTTON_CLOSE));
}

TEST_F(ProgressFixture, CloseAfterSuccessStartsTheQuotedRegistrationProgramAndEndsWithOne) {
    registry.AddValue(RegistryRoot::LocalMachine,
                      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "OfficeUnInstall", "x");
    Deliver(StageDone, 0);
    const PageResult r = page.OnCommand(kIdCancel, controls);
    EXPECT_EQ(r.kind, PageResult::Kind::End);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(controls.pageHidden);
    EXPECT_EQ(
        processes.started,
        std::vector<std::string>{"\"C:\\Program Files\\Kestra\\Office\\Reg\\KestraReg.exe\" /5"});
    EXPECT_EQ(
        registry.ValueOf(RegistryRoot::LocalMachine,
                         "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "OfficeUnInstall"),
        std::nullopt);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ProgressFixture, FailureShowsTheFailureTextAndCloseStartsNothing) {
    Deliver(StageFailed, 0);
    EXPECT_TRUE(page.finished());
    EXPECT_EQ(pnpSucceeded.load(), 0);
    EXPECT_EQ(controls.c(IDC_PROGRESS_HEADING).text, TextOf(IDS_FAILED_HEADING));
    EXPECT_FALSE(controls.c(IDC_PROGRESS_STATUS).visible);
    EXPECT_FALSE(controls.c(IDC_PROGRESS_REGISTER).checked);
    const PageResult r = page.OnClose(controls);
    EXPECT_EQ(r.kind, PageResult::Kind::End);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(processes.started.empty());
    EXPECT_FALSE(controls.pageHidden);
}

TEST_F(ProgressFixture, CancelWhileRunningPausesAndAsks) {
    ui.answers = {kIdNo, kIdYes};
    EXPECT_EQ(page.OnCommand(kIdCancel, controls).kind, PageResult::Kind::Stay);
    EXPECT_EQ(signals.log, (std::vector<std::string>{"pause", "resume"}));
    const PageResult yes = page.OnClose(controls);
    EXPECT_EQ(yes.kind, PageResult::Kind::End);
    EXPECT_EQ(yes.exitCode, 1);
    EXPECT_EQ(signals.log, (std::vector<std::string>{"pause", "resume", "pause"}));
    EXPECT_EQ(ui.boxes[0].text, TextOf(IDS_CANCEL_QUESTION));
}

TEST_F(ProgressFixture, TheUsbPromptRunsDuringTheWaitAndIsEndedByTheOutcome) {
    dialogs.whileRunning = [this](Page& prompt) {
        EXPECT_FALSE(dialogs.childControls->c(kIdOk).enabled);
        EXPECT_EQ(promptsShown, std::vector<Page*>{&prompt}) << "the watcher's report goes there";
        prompt.OnMessage(kQueueReadyMessage, 0, 0, *dialogs.childControls);
        EXPECT_TRUE(dialogs.childControls->c(kIdOk).enabled);
        Deliver(StagePnpWait, 1);  // arrives inside the prompt's run
    };
    Deliver(StagePnpWait, 0);
    EXPECT_EQ(dialogs.log, (std::vector<std::string>{"run", "end 1"}));
    EXPECT_EQ(controls.c(IDC_PROGRESS_STATUS).text, TextOf(IDS_DONE_STATUS));
    EXPECT_EQ(promptsShown.back(), nullptr) << "no report reaches an ended prompt";
}

TEST_F(ProgressFixture, TheWaitFailureEndsThePromptWithTwo) {
    dialogs.whileRunning = [this](Page&) { Deliver(StageFailed, 1); };
    Deliver(StagePnpWait, 0);
    EXPECT_EQ(dialogs.log, (std::vector<std::string>{"run", "end 2"}));
    EXPECT_EQ(controls.c(IDC_PROGRESS_HEADING).text, TextOf(IDS_FAILED_HEADING));
}

TEST_F(ProgressFixture, ThePromptsButtonsGiveUpTheWait) {
    dialogs.whileRunning = [this](Page& prompt) {
        FakeControls& c = *dialogs.childControls;
        ui.answers = {kIdNo};
        EXPECT_EQ(prompt.OnCommand(kIdCancel, c).kind, PageResult::Kind::Stay);
        EXPECT_TRUE(signals.log.empty()) << "No keeps waiting";
        ui.answers = {kIdYes};
        EXPECT_EQ(prompt.OnClose(c).kind, PageResult::Kind::Stay);
        EXPECT_EQ(signals.log, std::vector<std::string>{"pnp"});
        pnpSucceeded = 1;
        EXPECT_EQ(prompt.OnCommand(kIdOk, c).kind, PageResult::Kind::Stay);
        EXPECT_EQ(pnpSucceeded.load(), 0) << "Next after the report makes the outcome a failure";
        EXPECT_EQ(signals.log, (std::vector<std::string>{"pnp", "pnp"}));
    };
    Deliver(StagePnpWait, 0);
}

// The wait for the USB printer can begin while the cancel question is open: the prompt opens
// only once the question is answered 否, and not at all when the run ended meanwhile or the
// answer is 是.
TEST_F(ProgressFixture, TheUsbPromptNeverOpensOverTheCancelQuestion) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, long>> meanwhile;  // stages posted while the question is open
        int answer;
        bool promptRuns;
    };
    const Case cases[] = {
        {"the wait began", {{StagePnpWait, 0}}, kIdNo, true},
        {"the wait began, and 是", {{StagePnpWait, 0}}, kIdYes, false},
        {"the queue came", {{StagePnpWait, 0}, {StagePnpWait, 1}}, kIdNo, false},
        {"the wait failed", {{StagePnpWait, 0}, {StageFailed, 1}}, kIdNo, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.log.clear();
        dialogs.whileRunning = nullptr;
        FakeControls fresh;
        ProgressPage run{services};
        run.Open(fresh);
        ui.answers = {c.answer};
        ui.whileShown = [&] {
            for (const auto& [stage, argument] : c.meanwhile) {
                run.OnMessage(kProgressMessage, static_cast<std::uintptr_t>(stage), argument,
                              fresh);
            }
            EXPECT_EQ(std::count(dialogs.log.begin(), dialogs.log.end(), "run"), 0);
        };
        const PageResult r = run.OnCommand(kIdCancel, fresh);
        EXPECT_EQ(r.kind, c.answer == kIdYes ? PageResult::Kind::End : PageResult::Kind::Stay);
        EXPECT_EQ(std::count(dialogs.log.begin(), dialogs.log.end(), "run"), c.promptRuns ? 1 : 0);
        // A later question opens no prompt of a wait that was shown or is over.
        ui.answers = {kIdNo};
        if (r.kind == PageResult::Kind::Stay && !run.finished()) run.OnClose(fresh);
        EXPECT_EQ(std::count(dialogs.log.begin(), dialogs.log.end(), "run"), c.promptRuns ? 1 : 0);
        ui.answers.clear();
    }
}

// What the run needs but cannot make ends in the failure display: at once without the
// installation thread, through a wait given up (reported by the thread) without the prompt,
// even when the driver update had succeeded.
TEST_F(ProgressFixture, WhatCannotBeMadeEndsInTheFailureDisplay) {
    struct Case {
        const char* what;
        bool installation, prompt;
    };
    const Case cases[] = {
        {"installation thread or events", false, true},
        {"USB prompt", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        installationStarts = c.installation;
        dialogs.notShown = !c.prompt;
        dialogs.whileRunning = nullptr;
        signals.log.clear();
        FakeControls fresh;
        ProgressPage run{services};
        run.Open(fresh);
        if (c.installation) {
            pnpSucceeded = 1;
            run.OnMessage(kProgressMessage, StagePnpWait, 0, fresh);
            EXPECT_EQ(pnpSucceeded.load(), 0);
            EXPECT_EQ(signals.log, std::vector<std::string>{"pnp"});
            EXPECT_FALSE(run.finished());
            run.OnMessage(kProgressMessage, StageFailed, 1, fresh);
        }
        EXPECT_TRUE(run.finished());
        EXPECT_EQ(fresh.c(IDC_PROGRESS_HEADING).text, TextOf(IDS_FAILED_HEADING));
        EXPECT_EQ(run.OnClose(fresh).exitCode, 0);
    }
}

// A USB installation shows the completed state when the queue is ready, while the thread still
// makes the shortcuts and the uninstall entry: a close then waits for the thread's last stage.
TEST_F(ProgressFixture, ACloseBeforeTheThreadEndedWaitsForIt) {
    for (const int last : {StageDone, StageFailed}) {
        SCOPED_TRACE(last);
        processes.started.clear();
        FakeControls fresh;
        ProgressPage run{services};
        run.Open(fresh);
        dialogs.whileRunning = [&](Page&) {
            run.OnMessage(kProgressMessage, StagePnpWait, 1, fresh);
        };
        run.OnMessage(kProgressMessage, StagePnpWait, 0, fresh);
        EXPECT_EQ(fresh.c(kIdCancel).text, TextOf(IDS_BUTTON_CLOSE));
        EXPECT_EQ(run.OnCommand(kIdCancel, fresh).kind, PageResult::Kind::Stay);
        EXPECT_EQ(run.OnClose(fresh).kind, PageResult::Kind::Stay);
        run.OnMessage(kProgressMessage, StageShortcuts, 0, fresh);
        EXPECT_TRUE(processes.started.empty());
        const PageResult r = run.OnMessage(kProgressMessage, last, 0, fresh);
        if (last == StageDone) {
            EXPECT_EQ(r.kind, PageResult::Kind::End);  // the close that waited
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_EQ(processes.started.size(), 1u);
        } else {
            EXPECT_EQ(r.kind, PageResult::Kind::Stay);  // the failure is shown, not closed
            EXPECT_EQ(fresh.c(IDC_PROGRESS_HEADING).text, TextOf(IDS_FAILED_HEADING));
            EXPECT_EQ(run.OnClose(fresh).exitCode, 0);
        }
        EXPECT_TRUE(ui.boxes.empty());
    }
}

}  // namespace
}  // namespace tq
