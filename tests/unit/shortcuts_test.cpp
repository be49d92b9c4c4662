#include "install/engine/shortcuts.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "install/res/resource.h"
#include "install/system/platform_class.h"
#include "tests/support/fake_progress.h"
#include "tests/support/fake_registry.h"
#include "tests/support/fake_shell_links.h"
#include "tests/support/fake_system_paths.h"

namespace tq {
namespace {

using test::FakeRegistry;
using test::FakeShellLinks;
using test::RecordingProgress;

constexpr RegistryRoot kCu = RegistryRoot::CurrentUser;
constexpr RegistryRoot kLm = RegistryRoot::LocalMachine;
constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kPrograms[] = "C:\\Documents and Settings\\u\\Start Menu\\Programs";
constexpr char kGroup[] = "C:\\Documents and Settings\\u\\Start Menu\\Programs\\Kestra Office\\";
constexpr char kProgramFolder[] = "C:\\Program Files\\Kestra\\Kestra Office";

struct FixedPaths : test::FakeSystemPaths {
    FixedPaths() { driver.clear(); }
};

struct ShortcutsTest : ::testing::Test {
    RecordingProgress progress;
    InstallJob job;
    WizardSettings settings;
    FakeRegistry registry;
    FixedPaths paths;
    FakeShellLinks links;

    void SetUp() override {
        job.progress = &progress;
        job.platformClass = PlatformXp;
        settings.SetPrinterName("Kestra Office");
        registry.AddValue(kCu, kShellFolders, "Programs", kPrograms);
        registry.AddValue(kLm, kRun, "Kestra OfficeUnInstall", "C:\\x.exe");
    }
    void TearDown() override { EXPECT_EQ(registry.openKeys, 0) << "a key was left open"; }

    int Run() { return CreateProgramShortcuts(job, settings, registry, paths, links); }
    bool RunValueThere() {
        return registry.ValueOf(kLm, kRun, "Kestra OfficeUnInstall").has_value();
    }
    std::string Link(int textId) { return kGroup + progress.LoadText(textId) + ".lnk"; }
};

TEST_F(ShortcutsTest, ThreeLinksInTheGroupFolderInOrder) {
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(links.folders, std::vector<std::string>{std::string(kPrograms) + "\\Kestra Office"});
    ASSERT_EQ(links.shortcuts.size(), 3u);
    const struct {
        int textId;
        std::string target;
    } expected[] = {
        {IDS_LINK_STATUS_MONITOR, "C:\\WINDOWS\\system32\\T824XSM.exe"},
        {IDS_LINK_HELP, std::string(kProgramFolder) + "\\Driver\\T8242UI.chm"},
        {IDS_LINK_UNINSTALL, std::string(kProgramFolder) + "\\T824UIS.exe"},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(links.shortcuts[i].linkPath, Link(expected[i].textId));
        EXPECT_EQ(links.shortcuts[i].target, expected[i].target);
        EXPECT_EQ(links.shortcuts[i].description, progress.LoadText(expected[i].textId));
    }
    EXPECT_EQ(registry.openings.front().rights, 0x1u);  // Shell Folders: query only
}

TEST_F(ShortcutsTest, HelpTargetFollowsThePlatformClass) {
    const std::string folder = kProgramFolder;
    const struct {
        int platformClass;
        std::string target;
    } cases[] = {
        {Platform9x, folder + "\\Driver\\T8249UI.hlp"},
        {Platform2000, folder + "\\Driver\\T8242UI.chm"},
        {PlatformXp, folder + "\\Driver\\T8242UI.chm"},
        {PlatformVista, folder + "\\Driver\\T8242UI.chm"},
        {PlatformNt4, folder},
        {PlatformOther, folder},
        {0, folder},
        {6, folder},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.platformClass);
        job.platformClass = c.platformClass;
        links.shortcuts.clear();
        ASSERT_EQ(Run(), 1);
        ASSERT_EQ(links.shortcuts.size(), 3u);
        EXPECT_EQ(links.shortcuts[1].target, c.target);
    }
}

// A 32-bit installer on 64-bit Windows copied the status monitor into syswow64: its link names
// that folder, which Explorer (64-bit) finds it in.
TEST_F(ShortcutsTest, StatusMonitorLinkNamesTheFolderTheFileWentTo) {
    const struct {
        const char* wow64System;
        std::string target;
    } cases[] = {
        {"", "C:\\WINDOWS\\system32\\T824XSM.exe"},
        {"C:\\WINDOWS\\SysWOW64", "C:\\WINDOWS\\SysWOW64\\T824XSM.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wow64System);
        paths.wow64System = c.wow64System;
        links.shortcuts.clear();
        ASSERT_EQ(Run(), 1);
        ASSERT_EQ(links.shortcuts.size(), 3u);
        EXPECT_EQ(links.shortcuts[0].target, c.target);
    }
}

TEST_F(ShortcutsTest, PausePointsPostsAndTheRunValueBetweenTheSecondAndThirdLink) {
    // At every pause point: how many links exist and whether the Run value is still there.
    std::vector<std::pair<std::size_t, bool>> atPause;
    progress.onPause = [&] { atPause.emplace_back(links.shortcuts.size(), RunValueThere()); };
    ASSERT_EQ(Run(), 1);
    EXPECT_EQ(atPause, (std::vector<std::pair<std::size_t, bool>>{
                           {0, true}, {0, true}, {1, true}, {2, true}, {2, false}}));
    EXPECT_FALSE(RunValueThere());

    using E = RecordingProgress::Event;
    std::vector<E::Kind> kinds;
    for (const auto& e : progress.events) {
        kinds.push_back(e.kind);
        if (e.kind == E::Post) {
            EXPECT_EQ(e.stage, StageShortcuts);
            EXPECT_EQ(e.argument, 1);
        }
    }
    EXPECT_EQ(kinds, (std::vector<E::Kind>{E::Pause, E::Pause, E::Post, E::Pause, E::Post, E::Pause,
                                           E::Post, E::Pause, E::Post}));
    EXPECT_EQ(progress.Posts(StageShortcuts, 1), 4);
}

TEST_F(ShortcutsTest, ShellFoldersKeyNotReadableMakesNothing) {
    registry.Fail(FakeRegistry::Op::Open, kCu, kShellFolders);
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(links.folders.empty());
    EXPECT_TRUE(links.shortcuts.empty());
    EXPECT_EQ(progress.Posts(StageShortcuts, 1), 0);
    EXPECT_TRUE(RunValueThere());
}

TEST_F(ShortcutsTest, AMissingProgramsValueOrAFailedSaveIsNotNoticed) {
    registry.FindKey(kCu, kShellFolders)->values.clear();
    links.outcomes = {{0, ShortcutOutcome::SaveFailed},
                      {1, ShortcutOutcome::SaveFailed},
                      {2, ShortcutOutcome::SaveFailed}};
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(links.folders, std::vector<std::string>{"\\Kestra Office"});
    EXPECT_EQ(progress.Posts(StageShortcuts, 1), 4);
}

// For all users there is nobody to find a group in \<printerName> on the current drive: a
// missing or empty value fails the step, as an unreadable key does, before anything is made.
TEST_F(ShortcutsTest, AllUsersWithoutTheirProgramsFolderMakesNothing) {
    job.programGroup = ProgramGroupOwner::AllUsers;
    const std::function<void()> arrangements[] = {
        [] {},  // only the current user's value is there
        [&] { registry.AddValue(kLm, kShellFolders, "Common Programs", ""); },
        [&] { registry.Fail(FakeRegistry::Op::Open, kLm, kShellFolders); },
    };
    for (std::size_t i = 0; i < std::size(arrangements); ++i) {
        SCOPED_TRACE(i);
        arrangements[i]();
        EXPECT_EQ(Run(), 0);
        EXPECT_TRUE(links.folders.empty());
        EXPECT_TRUE(links.shortcuts.empty());
        EXPECT_TRUE(RunValueThere());
    }
}

TEST_F(ShortcutsTest, ALinkObjectThatCannotBeMadeEndsWithWhatWasDoneKept) {
    const struct {
        std::size_t failing;
        ShortcutOutcome outcome;
        int posts;
        bool runValueThere;
    } cases[] = {
        {0, ShortcutOutcome::NoShellLink, 0, true},
        {1, ShortcutOutcome::NoShellLink, 1, true},
        {1, ShortcutOutcome::NoPersistFile, 1, true},
        {2, ShortcutOutcome::NoPersistFile, 3, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        progress.events.clear();
        links.shortcuts.clear();
        links.outcomes = {{c.failing, c.outcome}};
        registry.AddValue(kLm, kRun, "Kestra OfficeUnInstall", "C:\\x.exe");
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(links.shortcuts.size(), c.failing + 1);
        EXPECT_EQ(progress.Posts(StageShortcuts, 1), c.posts);
        EXPECT_EQ(RunValueThere(), c.runValueThere);
    }
}

TEST_F(ShortcutsTest, WithoutAProgressPageThereAreNoNamesAndNoLinks) {
    job.progress = nullptr;
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(links.shortcuts.empty());
}

}  // namespace
}  // namespace tq
