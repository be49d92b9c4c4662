#include "install/system/registry_records.h"

#include <gtest/gtest.h>

#include "platform/version.h"

#include <string>
#include <vector>

#include "install/system/platform_class.h"
#include "tests/support/fake_registry.h"
#include "tests/support/fake_system_paths.h"

namespace tq {
namespace {

using test::FakeRegistry;
using Op = FakeRegistry::Op;

constexpr RegistryRoot kLm = RegistryRoot::LocalMachine;
constexpr RegistryRoot kCu = RegistryRoot::CurrentUser;
constexpr char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunOnce[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kMarker[] = "Kestra TQ8240 SeriesInstall";
constexpr char kProgram[] = "C:\\Setup Disk\\TQ82Ins.exe";
constexpr char kQuotedProgram[] = "\"C:\\Setup Disk\\TQ82Ins.exe\"";
constexpr char kMonitor[] =
    "System\\CurrentControlSet\\Control\\Print\\Monitors\\Kestra TQ8240 Language Monitor";
constexpr char kSetup[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup";
constexpr char kMru[] = "InstallLocationMRU";

struct FixedPaths : test::FakeSystemPaths {
    FixedPaths() {
        module = kProgram;
        system = "C:\\WINDOWS\\SYSTEM";
        driver.clear();
    }
};

struct RegistryRecordsTest : ::testing::Test {
    FakeRegistry registry;
    FixedPaths paths;

    void SetUp() override {
        registry.AddKey(kLm, kRun).AddKey(kLm, kUninstall);
        registry.AddKey(kLm, "System\\CurrentControlSet\\Control\\Print\\Monitors\\Local Port");
    }
    void TearDown() override { EXPECT_EQ(registry.openKeys, 0) << "a key was left open"; }

    // Windows XP: the marker in the Run key alone.
    int Marker(int mode) { return UpdateResumeMarker(registry, paths, mode, PlatformXp); }
    std::vector<std::string> RunValueNames() {
        std::vector<std::string> names;
        for (const auto& v : registry.FindKey(kLm, kRun)->values) names.push_back(v.name);
        return names;
    }
};

// --- resume marker -------------------------------------------------------------------------

TEST_F(RegistryRecordsTest, MarkerIsWrittenQuotedFoundAgainAndDeleted) {
    EXPECT_EQ(Marker(ResumeMarkerQuery), 0);
    EXPECT_EQ(Marker(ResumeMarkerSet), 1);
    EXPECT_EQ(registry.ValueOf(kLm, kRun, kMarker), kQuotedProgram);
    EXPECT_EQ(Marker(ResumeMarkerQuery), 1);

    registry.changes.clear();
    EXPECT_EQ(Marker(ResumeMarkerSet), 1);  // present: nothing written
    EXPECT_TRUE(registry.changes.empty());

    EXPECT_EQ(Marker(ResumeMarkerDelete), 1);
    EXPECT_EQ(registry.ValueOf(kLm, kRun, kMarker), std::nullopt);
    EXPECT_EQ(Marker(ResumeMarkerDelete), 1);  // absent counts as done
    EXPECT_EQ(Marker(ResumeMarkerQuery), 0);

    for (const auto& opening : registry.openings) EXPECT_EQ(opening.rights, 0x20007u);
}

TEST_F(RegistryRecordsTest, MarkerNameAndPathCompareWithoutCaseQuotedOrBare) {
    for (const char* data : {"c:\\setup disk\\tq82ins.EXE", "\"C:\\SETUP DISK\\TQ82INS.EXE\""}) {
        SCOPED_TRACE(data);
        registry.AddValue(kLm, kRun, "Other", kProgram);
        registry.AddValue(kLm, kRun, "kestra tq8240 seriesinstall", data);
        EXPECT_EQ(Marker(ResumeMarkerQuery), 1);
        registry.changes.clear();
        EXPECT_EQ(Marker(ResumeMarkerSet), 1);
        EXPECT_TRUE(registry.changes.empty());
        EXPECT_EQ(Marker(ResumeMarkerDelete), 1);
        EXPECT_EQ(RunValueNames(), std::vector<std::string>{"Other"});
        registry.FindKey(kLm, kRun)->values.clear();
    }
}

TEST_F(RegistryRecordsTest, MarkerOfAnotherProgramStaysUntilSetReplacesIt) {
    for (const char* data :
         {"C:\\Old Disk\\TQ82Ins.exe", "\"C:\\Setup Disk\\TQ82Ins.exe",
          "C:\\Setup Disk\\TQ82Ins.exe\"", "\"C:\\Setup Disk\\TQ82Ins.exe\" /resume", "\"\"", ""}) {
        SCOPED_TRACE(data);
        registry.AddValue(kLm, kRun, kMarker, data);
        EXPECT_EQ(Marker(ResumeMarkerQuery), 0);
        EXPECT_EQ(Marker(ResumeMarkerDelete), 1);
        EXPECT_EQ(registry.ValueOf(kLm, kRun, kMarker), data);
        EXPECT_EQ(Marker(ResumeMarkerSet), 1);
        EXPECT_EQ(registry.ValueOf(kLm, kRun, kMarker), kQuotedProgram);
        EXPECT_EQ(RunValueNames().size(), 1u);  // replaced, not added beside it
        registry.FindKey(kLm, kRun)->values.clear();
    }
}

TEST_F(RegistryRecordsTest, MarkerSearchLooksOnlyAtTheNameAndPassesOverValuesTooBigToRead) {
    registry.AddValue(kLm, kRun, "Kestra TQ8240 Series", kProgram);
    registry.AddValue(kLm, kRun, "Kestra TQ8240 SeriesInstall2", kProgram);
    registry.AddValue(kLm, kRun, std::string(128, 'N'), kProgram);  // name does not fit
    registry.AddValue(kLm, kRun, "Big", std::string(260, 'd'));     // data does not fit
    EXPECT_EQ(Marker(ResumeMarkerQuery), 0);
    registry.AddValue(kLm, kRun, kMarker, kProgram);
    EXPECT_EQ(Marker(ResumeMarkerQuery), 1);
    EXPECT_EQ(Marker(ResumeMarkerDelete), 1);
    EXPECT_EQ(RunValueNames().size(), 4u);
}

TEST_F(RegistryRecordsTest, MarkerOfALongPathIsRefusedWhenQuotesWouldNotFitTheReadBuffer) {
    // 257 characters quoted make 259 bytes and the NUL: the most the 260-byte buffer holds.
    // Longer, the path would go in bare, and a blank in it would start another program.
    for (std::size_t length : {257u, 258u, 259u}) {
        SCOPED_TRACE(length);
        paths.module = "C:\\Long Name" + std::string(length - 12, 'p');
        EXPECT_EQ(Marker(ResumeMarkerSet), length <= 257 ? 1 : 0);
        EXPECT_EQ(
            registry.ValueOf(kLm, kRun, kMarker),
            length <= 257 ? std::optional<std::string>("\"" + paths.module + "\"") : std::nullopt);
        EXPECT_EQ(Marker(ResumeMarkerQuery), length <= 257 ? 1 : 0);
        EXPECT_EQ(Marker(ResumeMarkerDelete), 1);
        EXPECT_EQ(Marker(ResumeMarkerQuery), 0);
    }
}

TEST_F(RegistryRecordsTest, MarkerFailures) {
    registry.AddValue(kLm, kRun, kMarker, kProgram);
    // Any mode, an unknown one included, needs the program's path and the Run key.
    paths.module.clear();
    for (int mode : {0, 1, 2, 7}) EXPECT_EQ(Marker(mode), 0) << mode;
    paths.module = kProgram;
    registry.Fail(Op::Open, kLm, kRun);
    for (int mode : {0, 1, 2, 7}) EXPECT_EQ(Marker(mode), 0) << mode;
    EXPECT_TRUE(registry.changes.empty());

    FakeRegistry other;
    other.AddValue(kLm, kRun, kMarker, kProgram);
    other.Fail(Op::DeleteValue, kLm, kRun);
    EXPECT_EQ(UpdateResumeMarker(other, paths, ResumeMarkerDelete, PlatformXp), 0);
    EXPECT_EQ(UpdateResumeMarker(other, paths, 7, PlatformXp), 1);  // unknown mode: nothing done
    other.FindKey(kLm, kRun)->values.clear();
    other.Fail(Op::Set, kLm, kRun);
    EXPECT_EQ(UpdateResumeMarker(other, paths, ResumeMarkerSet, PlatformXp), 0);
    EXPECT_TRUE(other.changes.empty());

    // A Run key that cannot be enumerated holds no marker.
    FakeRegistry unreadable;
    unreadable.AddValue(kLm, kRun, kMarker, kProgram);
    unreadable.Fail(Op::Enum, kLm, kRun);
    EXPECT_EQ(UpdateResumeMarker(unreadable, paths, ResumeMarkerQuery, PlatformXp), 0);
    EXPECT_EQ(other.openKeys + unreadable.openKeys, 0);
}

// Vista and later: Windows starts an installer that asks for elevation from RunOnce, not Run.
// The marker is set in both (RunOnce with "!", so that Windows deletes it only after the run);
// either one naming this program makes a resumed run, and both go.
TEST_F(RegistryRecordsTest, VistaSetsTheMarkerInRunAndRunOnceAndFindsEither) {
    const std::string once = std::string("!") + kMarker;
    auto marker = [&](int mode) {
        return UpdateResumeMarker(registry, paths, mode, PlatformVista);
    };
    ASSERT_EQ(marker(ResumeMarkerSet), 1);  // the RunOnce key is made when it is not there
    EXPECT_EQ(registry.ValueOf(kLm, kRun, kMarker), kQuotedProgram);
    EXPECT_EQ(registry.ValueOf(kLm, kRunOnce, once), kQuotedProgram);
    EXPECT_EQ(UpdateResumeMarker(registry, paths, ResumeMarkerSet, PlatformXp), 1);
    EXPECT_EQ(registry.FindKey(kLm, kRunOnce)->values.size(), 1u);

    struct Case {
        const char* run;   // data of the Run value, or none
        const char* once;  // data of the RunOnce value, or none
        int found;
        bool runStays, onceStays;
    };
    for (const Case& c : {Case{kProgram, nullptr, 1, false, false},  // an older run's marker
                          Case{nullptr, kQuotedProgram, 1, false, false},
                          Case{kQuotedProgram, kQuotedProgram, 1, false, false},
                          Case{nullptr, "D:\\Other\\TQ82Ins.exe", 0, false, true},
                          Case{"D:\\Other\\TQ82Ins.exe", kProgram, 1, true, false}}) {
        SCOPED_TRACE(std::string(c.run ? c.run : "-") + " | " + (c.once ? c.once : "-"));
        registry.FindKey(kLm, kRun)->values.clear();
        registry.FindKey(kLm, kRunOnce)->values.clear();
        if (c.run) registry.AddValue(kLm, kRun, kMarker, c.run);
        if (c.once) registry.AddValue(kLm, kRunOnce, once, c.once);
        for (int platformClass : {PlatformXp, PlatformVista}) {
            EXPECT_EQ(UpdateResumeMarker(registry, paths, ResumeMarkerQuery, platformClass),
                      c.found);
        }
        EXPECT_EQ(marker(ResumeMarkerDelete), 1);
        EXPECT_EQ(registry.ValueOf(kLm, kRun, kMarker).has_value(), c.runStays);
        EXPECT_EQ(registry.ValueOf(kLm, kRunOnce, once).has_value(), c.onceStays);
    }
    // The RunOnce value without "!" is not the marker: Windows deletes such a value before it
    // starts the program, which would then take itself for a fresh run.
    registry.FindKey(kLm, kRunOnce)->values.clear();
    registry.AddValue(kLm, kRunOnce, kMarker, kProgram);
    EXPECT_EQ(marker(ResumeMarkerQuery), 0);
}

// --- uninstaller's Run value ---------------------------------------------------------------

TEST_F(RegistryRecordsTest, UninstallerRunValueOfThePrinterNameGoes) {
    registry.AddValue(kLm, kRun, "Kestra Office", "x");
    registry.AddValue(kLm, kRun, "kestra officeUNINSTALL", "C:\\T824UIS.exe");
    registry.AddValue(kLm, kRun, "Kestra OfficeUnInstall2", "y");
    EXPECT_EQ(DeleteUninstallerRunValue(registry, "Kestra Office"), 1);
    EXPECT_EQ(RunValueNames(),
              (std::vector<std::string>{"Kestra Office", "Kestra OfficeUnInstall2"}));
    EXPECT_EQ(DeleteUninstallerRunValue(registry, "Kestra Office"), 1);  // none left

    registry.AddValue(kLm, kRun, "Kestra OfficeUnInstall", "z");
    registry.Fail(Op::DeleteValue, kLm, kRun);
    EXPECT_EQ(DeleteUninstallerRunValue(registry, "Kestra Office"), 0);
    registry.Fail(Op::Open, kLm, kRun);
    EXPECT_EQ(DeleteUninstallerRunValue(registry, "Kestra Office"), 0);
}

// --- uninstall entry -----------------------------------------------------------------------

// The entry as Programs and Features and deployment tools read it: the uninstaller quoted only
// where it is run as a command line.
TEST_F(RegistryRecordsTest, UninstallEntryHoldsTheUninstallerQuotedOnlyAsCommandLine) {
    paths.windows = "D:\\WINNT";
    ASSERT_EQ(RegisterUninstallEntry(registry, paths, "Kestra Office", 2345), 1);
    const std::string entry = std::string(kUninstall) + "\\Kestra Office";
    const auto* key = registry.FindKey(kLm, entry);
    ASSERT_NE(key, nullptr);
    const std::string folder = "D:\\Program Files\\Kestra\\Kestra Office";
    const std::string uninstaller = folder + "\\T824UIS.exe";
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"DisplayIcon", uninstaller},
        {"DisplayName", "Kestra Office UnInstall"},
        {"UnInstallString", "\"" + uninstaller + "\""},
        {"QuietUninstallString", "\"" + uninstaller + "\" /quiet"},
        {"DisplayVersion", TQ_VERSION_TEXT},
        {"Publisher", TQ_COMPANY_NAME},
        {"InstallLocation", folder},
        {"EstimatedSize", "dword:2345"},
        {"NoModify", "dword:1"},
        {"NoRepair", "dword:1"},
    };
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& v : key->values) values.emplace_back(v.name, v.data);
    EXPECT_EQ(values, expected);
    ASSERT_EQ(registry.openings.size(), 2u);
    EXPECT_EQ(registry.openings[0].rights, 0x20006u);
    EXPECT_EQ(registry.openings[1].rights, 0x2001Fu);

    // Again over an existing entry: the same values, no more.
    ASSERT_EQ(RegisterUninstallEntry(registry, paths, "Kestra Office", 2345), 1);
    EXPECT_EQ(registry.FindKey(kLm, entry)->values.size(), expected.size());
}

TEST_F(RegistryRecordsTest, UninstallEntryFailures) {
    const std::string entry = std::string(kUninstall) + "\\Kestra Office";

    paths.windows = "C:";
    EXPECT_EQ(RegisterUninstallEntry(registry, paths, "Kestra Office", 1), 0);
    paths.windows = "C:\\WINDOWS";
    EXPECT_EQ(RegisterUninstallEntry(registry, paths, "", 1), 0);
    EXPECT_TRUE(registry.changes.empty());

    // The first failed value ends it: what came before stays, nothing after is written.
    registry.Fail(Op::Set, kLm, entry, kRegAccessDenied, "DisplayName");
    EXPECT_EQ(RegisterUninstallEntry(registry, paths, "Kestra Office", 1), 0);
    EXPECT_TRUE(registry.ValueOf(kLm, entry, "DisplayIcon"));
    EXPECT_FALSE(registry.ValueOf(kLm, entry, "UnInstallString"));

    registry.Fail(Op::Create, kLm, std::string(kUninstall) + "\\Other");
    EXPECT_EQ(RegisterUninstallEntry(registry, paths, "Other", 1), 0);

    // No list of installed programs: not made up here.
    FakeRegistry bare;
    EXPECT_EQ(RegisterUninstallEntry(bare, paths, "Kestra Office", 1), 0);
    EXPECT_EQ(bare.FindKey(kLm, kUninstall), nullptr);
}

// --- language monitor key ------------------------------------------------------------------

TEST_F(RegistryRecordsTest, MonitorKeyIsMadeOnceAndAnExistingOneIsLeftAlone) {
    EXPECT_EQ(CreateMonitorKey(registry), 1);
    EXPECT_EQ(registry.ValueOf(kLm, kMonitor, "Driver"), "T8242LM.dll");
    EXPECT_EQ(registry.openings.back().rights, 0xF003Fu);

    registry.AddValue(kLm, kMonitor, "Driver", "kept.dll");
    registry.changes.clear();
    EXPECT_EQ(CreateMonitorKey(registry), 0);
    EXPECT_EQ(registry.ValueOf(kLm, kMonitor, "Driver"), "kept.dll");
    EXPECT_TRUE(registry.changes.empty());

    DeleteMonitorKey(registry);
    EXPECT_EQ(registry.FindKey(kLm, kMonitor), nullptr);
    EXPECT_NE(registry.FindKey(kLm, "System\\CurrentControlSet\\Control\\Print\\Monitors"),
              nullptr);
    DeleteMonitorKey(registry);  // gone already: nothing to report

    registry.Fail(Op::Set, kLm, kMonitor);
    EXPECT_EQ(CreateMonitorKey(registry), 0);
    registry.Fail(Op::Create, kLm, kMonitor);
    EXPECT_EQ(CreateMonitorKey(registry), 0);
}

// --- Windows 9x setup source ---------------------------------------------------------------

struct SetupSourceTest : RegistryRecordsTest {
    SetupSourceSaved saved;
    void SetUp() override {
        RegistryRecordsTest::SetUp();
        registry.AddValue(kLm, kSetup, "SourcePath", "D:\\WIN98\\");
        registry.AddValue(kCu, kMru, "MRUList", "cab");
        registry.AddValue(kCu, kMru, "a", "A:\\");
        registry.AddValue(kCu, kMru, "b", "E:\\DRIVERS\\");
        registry.AddValue(kCu, kMru, "c", "D:\\WIN98\\");
    }
};

TEST_F(SetupSourceTest, RedirectsTheSourceAndTheMostRecentEntryAndWritesThemBack) {
    RedirectSetupSource(registry, paths, saved, 1);
    EXPECT_EQ(registry.ValueOf(kLm, kSetup, "SourcePath"), "C:\\WINDOWS\\SYSTEM\\");
    EXPECT_EQ(registry.ValueOf(kCu, kMru, "c"), "C:\\WINDOWS\\SYSTEM\\");
    EXPECT_EQ(registry.changes,
              (std::vector<std::string>{
                  "set HKLM\\" + std::string(kSetup) + "|SourcePath=C:\\WINDOWS\\SYSTEM\\",
                  "flush HKLM\\" + std::string(kSetup),
                  "set HKCU\\InstallLocationMRU|c=C:\\WINDOWS\\SYSTEM\\",
                  "flush HKCU\\InstallLocationMRU"}));
    for (const auto& opening : registry.openings) EXPECT_EQ(opening.rights, 3u);

    RedirectSetupSource(registry, paths, saved, 0);
    EXPECT_EQ(registry.ValueOf(kLm, kSetup, "SourcePath"), "D:\\WIN98\\");
    EXPECT_EQ(registry.ValueOf(kCu, kMru, "c"), "D:\\WIN98\\");
    EXPECT_EQ(registry.ValueOf(kCu, kMru, "a"), "A:\\");
    EXPECT_EQ(registry.ValueOf(kCu, kMru, "b"), "E:\\DRIVERS\\");
    EXPECT_EQ(registry.ValueOf(kCu, kMru, "MRUList"), "cab");
}

TEST_F(SetupSourceTest, AValueThatAlreadyNamesTheSystemFolderIsNotRewritten) {
    registry.AddValue(kLm, kSetup, "SourcePath", "c:\\windows\\system\\");
    registry.AddValue(kCu, kMru, "c", "C:\\Windows\\System\\");
    RedirectSetupSource(registry, paths, saved, 1);
    EXPECT_EQ(registry.changes, (std::vector<std::string>{"flush HKLM\\" + std::string(kSetup),
                                                          "flush HKCU\\InstallLocationMRU"}));
}

TEST_F(SetupSourceTest, WithoutTheSetupKeyTheInstallLocationIsStillHandled) {
    registry.Fail(Op::Open, kLm, kSetup);
    RedirectSetupSource(registry, paths, saved, 1);
    EXPECT_EQ(registry.ValueOf(kCu, kMru, "c"), "C:\\WINDOWS\\SYSTEM\\");
    RedirectSetupSource(registry, paths, saved, 0);
    EXPECT_EQ(registry.ValueOf(kCu, kMru, "c"), "D:\\WIN98\\");
    EXPECT_EQ(registry.ValueOf(kLm, kSetup, "SourcePath"), "D:\\WIN98\\");
}

TEST_F(SetupSourceTest, NothingIsWrittenBackWithoutAnEarlierRedirect) {
    RedirectSetupSource(registry, paths, saved, 0);
    EXPECT_TRUE(registry.changes.empty());
    RedirectSetupSource(registry, paths, saved, 5);  // neither redirect nor write-back
    EXPECT_TRUE(registry.changes.empty());
}

TEST_F(SetupSourceTest, AValueTheRedirectMadeIsDeletedAgain) {
    registry.FindKey(kLm, kSetup)->values.clear();
    registry.AddValue(kCu, kMru, "MRUList", "dab");  // names an entry "d" that is not there
    RedirectSetupSource(registry, paths, saved, 1);
    EXPECT_EQ(registry.ValueOf(kLm, kSetup, "SourcePath"), "C:\\WINDOWS\\SYSTEM\\");
    EXPECT_EQ(registry.ValueOf(kCu, kMru, "d"), "C:\\WINDOWS\\SYSTEM\\");
    RedirectSetupSource(registry, paths, saved, 0);
    EXPECT_TRUE(registry.FindKey(kLm, kSetup)->values.empty());
    EXPECT_EQ(registry.FindKey(kCu, kMru)->values.size(), 4u);  // MRUList, a, b, c as they were
    EXPECT_EQ(registry.ValueOf(kCu, kMru, "c"), "D:\\WIN98\\");
}

TEST_F(SetupSourceTest, OnlyWhatWasReadIsWrittenBack) {
    // A source path too long for the 512-byte buffer, and an empty install-location list.
    registry.AddValue(kLm, kSetup, "SourcePath", std::string(512, 's'));
    registry.AddValue(kCu, kMru, "MRUList", "");
    RedirectSetupSource(registry, paths, saved, 1);
    EXPECT_EQ(registry.ValueOf(kLm, kSetup, "SourcePath"), "C:\\WINDOWS\\SYSTEM\\");
    EXPECT_EQ(registry.FindKey(kCu, kMru)->values.size(), 4u);  // no entry written, none added
    EXPECT_EQ(registry.ValueOf(kCu, kMru, "c"), "D:\\WIN98\\");
    registry.changes.clear();
    RedirectSetupSource(registry, paths, saved, 0);
    EXPECT_TRUE(registry.changes.empty());
}

// --- Windows 9x plug-and-play records ------------------------------------------------------

TEST_F(RegistryRecordsTest, UsbEnumKeysAreRemovedEachOnItsOwn) {
    registry.AddKey(kLm, "Enum\\USBPRINT\\Kestra_TQ8240_Series");
    registry.AddKey(kLm, "Enum\\USB\\Vid_2e5a&Pid_7311");
    DeleteUsbEnumKeys(registry);  // the first key is missing: the second still goes
    EXPECT_EQ(registry.changes,
              std::vector<std::string>{"deletekey HKLM\\Enum\\USBPRINT\\Kestra_TQ8240_Series"});
    registry.AddKey(kLm, "Enum\\USB\\VID_2E5A&PID_7310");
    DeleteUsbEnumKeys(registry);
    EXPECT_EQ(registry.FindKey(kLm, "Enum\\USB\\Vid_2e5a&Pid_7310"), nullptr);
    EXPECT_NE(registry.FindKey(kLm, "Enum\\USB\\Vid_2e5a&Pid_7311"), nullptr);
}

TEST_F(RegistryRecordsTest, InfDatabaseFilesAreDeletedEachOnItsOwn) {
    std::vector<std::string> deleted;
    const DeleteFileFunction deleteFile = [&](const std::string& path) {
        deleted.push_back(path);
        return false;  // a failure does not stop the second deletion
    };
    DeleteInfDatabase(paths, deleteFile);
    EXPECT_EQ(deleted, (std::vector<std::string>{"C:\\WINDOWS\\inf\\Drvdata.bin",
                                                 "C:\\WINDOWS\\inf\\Drvidx.bin"}));
    deleted.clear();
    paths.windows.clear();
    DeleteInfDatabase(paths, deleteFile);
    EXPECT_TRUE(deleted.empty());
}

}  // namespace
}  // namespace tq
