#include "install/engine/copying.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include "install/engine/file_sets.h"
#include "install/engine/install_log.h"
#include "install/system/platform_class.h"
#include "platform/text.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/fake_log_file.h"
#include "tests/support/fake_progress.h"
#include "tests/support/fake_setup_libraries.h"
#include "tests/support/fake_system_paths.h"

namespace tq {
namespace {

using test::FakeFileSystem;
using test::FakeSetupLibraries;
using test::RecordingProgress;
using Names = std::vector<std::string>;

constexpr char kMedium[] = "D:\\Setup\\";
constexpr char kProgram[] = "C:\\Program Files\\Kestra\\Office TQ";
constexpr char kSuffix[] = "<26>";  // RecordingProgress's stand-in for string 26

// A 32-bit installer: its own driver folder is w32x86, even on 64-bit Windows.
struct FixedPaths : test::FakeSystemPaths {
    FixedPaths() {
        module = std::string(kMedium) + "TQ82Ins.exe";
        otherDriverDirectories["Windows x64"] = "C:\\WINDOWS\\system32\\spool\\drivers\\x64";
    }
};

// SysFileCopier.exe as the stage sees it: "Run <command line> <show> <limit>", the answer
// set by the test, and `onEnd` doing its work when it ends.
class FakeProcesses : public Processes {
  public:
    bool StartProgram(const std::string& commandLine, int showCommand) override {
        calls.push_back("Start " + commandLine + " " + std::to_string(showCommand));
        return true;
    }
    ProgramRun RunAndWait(const std::string& commandLine, int showCommand,
                          unsigned limitMs) override {
        calls.push_back("Run " + commandLine + " " + std::to_string(showCommand) + " " +
                        std::to_string(limitMs));
        if (run.outcome == ProgramRun::Ended && onEnd) onEnd();
        return run;
    }
    Names calls;
    ProgramRun run{ProgramRun::Ended, 0};
    std::function<void()> onEnd;
};

// "p" pause, "f" currentFileName written, "c" (StageCopy, 1) posted, "m" message, "?" other.
std::string Trace(const RecordingProgress& progress) {
    std::string out;
    for (const auto& e : progress.events) {
        switch (e.kind) {
            case RecordingProgress::Event::Pause:
                out += 'p';
                break;
            case RecordingProgress::Event::FileName:
                out += 'f';
                break;
            case RecordingProgress::Event::Post:
                out += (e.stage == StageCopy && e.argument == 1) ? 'c' : '?';
                break;
            case RecordingProgress::Event::Message:
                out += 'm';
                break;
        }
    }
    return out;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Times(const std::string& s, int n) {
    std::string out;
    while (n-- > 0) out += s;
    return out;
}

Names In(const std::string& folder, const Names& names) {
    Names out;
    for (const auto& n : names) out.push_back(folder + n);
    return out;
}

Names Join(std::initializer_list<Names> parts) {
    Names out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct CopyingFixture : ::testing::Test {
    FakeFileSystem files;
    FixedPaths paths;
    FakeProcesses processes;
    FakeSetupLibraries libraries;
    RecordingProgress progress;
    test::FakeLogFile logFile;
    test::FakeSystemErrors errors;
    InstallLog log{logFile, errors};
    InstallJob job;
    WizardSettings settings;
    CopyServices services{paths, files, processes, libraries};

    void SetUp() override {
        job.progress = &progress;
        job.log = &log;
        log.Open("C:\\tq.log");
        // SysFileCopier.exe, when it ends, has put the files its step names into the system
        // folder (all but copierLeavesOut).
        processes.onEnd = [this] {
            for (const std::string& name : CopierFiles()) {
                if (name != copierLeavesOut) files.AddFile(paths.system + "\\" + name);
            }
        };
        settings.SetPrinterName("Office TQ");
        files.AddFolder("C:\\Program Files")
            .AddFolder("C:\\WINDOWS\\Inf")
            .AddFolder("C:\\WINDOWS\\System32\\Drivers")
            .AddFolder("C:\\WINDOWS\\SYSTEM")
            .AddFolder("C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3")
            .AddFolder("C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3");
        // A full medium: every file any variant names, its path as its contents.
        for (int platformClass : {Platform9x, Platform2000, PlatformXp, PlatformVista}) {
            for (int processorClass : {Processor32, Processor64}) {
                const DriverFileSet set = DriverFileSetFor(platformClass, processorClass);
                for (const StepList& steps : {set.staging, set.placement}) {
                    for (const FileStep& step : steps) {
                        for (const char* name : step.files) {
                            const std::string path =
                                kMedium + std::string(step.sourceFolder) + name;
                            files.AddFile(path, path, /*readOnly=*/true);  // as on a CD
                        }
                    }
                }
            }
        }
        files.AddFile(std::string(kMedium) + "SysFileCopier.exe");
        files.AddFile(std::string(kMedium) + "SetupNT.dll");
    }

    std::string copierLeavesOut;
    // The files the placement's SysFileCopier step names, for the job's classes.
    Names CopierFiles() const {
        Names out;
        for (const FileStep& step :
             DriverFileSetFor(job.platformClass, job.processorClass).placement) {
            if (step.action == StepAction::StartSysFileCopier) {
                out.insert(out.end(), step.files.begin(), step.files.end());
            }
        }
        return out;
    }

    void Use(int platformClass, int processorClass) {
        job.platformClass = platformClass;
        job.processorClass = processorClass;
    }
    int Stage() { return StageDriverFiles(job, settings, services); }
    int Place() { return PlaceDriverFiles(job, settings, services); }
    void ClearRecords() {
        files.calls.clear();
        files.copied.clear();
        progress.events.clear();
        logFile.writes.clear();
    }
    // The log's lines without their time stamps and line breaks.
    Names LogLines() const {
        Names out;
        for (const auto& w : logFile.writes) out.push_back(w.substr(24, w.size() - 26));
        return out;
    }
    std::string Contents(const std::string& path) {
        const auto* f = files.FindFile(path);
        return f ? f->contents : "<missing>";
    }
};

TEST_F(CopyingFixture, OnePostPerFileAndForCopyInfOnEveryVariant) {
    struct Case {
        int platformClass, processorClass, stagePosts, placePosts;
    };
    for (const Case c :
         {Case{Platform9x, Processor9x, 15, 15}, Case{Platform2000, Processor32, 15, 23},
          Case{PlatformXp, Processor32, 16, 23}, Case{PlatformVista, Processor32, 16, 25},
          Case{Platform2000, Processor64, 15, 20}, Case{PlatformXp, Processor64, 16, 20},
          Case{PlatformVista, Processor64, 16, 22}}) {
        SCOPED_TRACE(std::to_string(c.platformClass) + "/" + std::to_string(c.processorClass));
        ClearRecords();
        Use(c.platformClass, c.processorClass);
        paths.system =
            c.platformClass == Platform9x ? "C:\\WINDOWS\\SYSTEM" : "C:\\WINDOWS\\system32";
        paths.driver = c.platformClass == Platform9x
                           ? paths.system
                           : "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86";
        EXPECT_EQ(Stage(), 1);
        EXPECT_EQ(progress.Posts(StageCopy, 1), c.stagePosts);
        EXPECT_EQ(files.copied.size(), static_cast<std::size_t>(c.stagePosts));
        progress.events.clear();
        files.copied.clear();
        EXPECT_EQ(Place(), 1);
        EXPECT_EQ(progress.Posts(StageCopy, 1), c.placePosts);
        const bool nt = c.platformClass != Platform9x;
        EXPECT_EQ(files.copied.size(), static_cast<std::size_t>(c.placePosts - (nt ? 1 : 0)));
        EXPECT_TRUE(progress.Messages().empty());
        EXPECT_EQ(job.filesAtRestart, 0);  // every file was replaced
    }
}

TEST_F(CopyingFixture, Windows9xCopiesItsSetInOrder) {
    Use(Platform9x, Processor9x);
    paths.driver = paths.system = "C:\\WINDOWS\\SYSTEM";
    ASSERT_EQ(Stage(), 1);
    EXPECT_EQ(files.copied,
              Join({In(std::string(kProgram) + "\\Driver\\",
                       {"T8249ui.dll", "T8249rc.dll", "T8249dr.drv", "T824916.dll", "T824932.dll",
                        "T8249lm.dll", "FWTQ8240.bin", "T8249ui.hlp", "T824XWM.dat", "USBMON.DLL",
                        "USBPRINT.SYS", "T8249if.inf", "T824USB.inf", "T824XSM.exe"}),
                    {std::string(kProgram) + "\\T824uis.exe"}}));
    // The medium's names differ in letter case between its lists; the file is the same.
    EXPECT_EQ(Lower(Contents(std::string(kProgram) + "\\Driver\\T8249dr.drv")),
              "d:\\setup\\driver\\98\\t8249dr.drv");
    EXPECT_EQ(Contents(std::string(kProgram) + "\\T824uis.exe"), "D:\\Setup\\T824uis.exe");

    files.copied.clear();
    ASSERT_EQ(Place(), 1);
    EXPECT_EQ(files.copied, Join({In("C:\\WINDOWS\\SYSTEM\\",
                                     {"T8249UI.dll", "T8249RC.dll", "T8249DR.DRV", "T824916.dll",
                                      "T824932.dll", "T8249LM.dll", "FWTQ8240.bin", "T8249UI.hlp",
                                      "T824xWM.dat", "USBMON.DLL", "USBPRINT.SYS"}),
                                  {"C:\\WINDOWS\\System32\\Drivers\\USBPRINT.SYS",
                                   "C:\\WINDOWS\\Inf\\T8249if.inf", "C:\\WINDOWS\\Inf\\T824USB.inf",
                                   "C:\\WINDOWS\\SYSTEM\\T824XSM.exe"}}));
    EXPECT_TRUE(libraries.calls.empty());
    EXPECT_TRUE(processes.calls.empty());
}

// The spooler folders are those of "Windows x64", not the 32-bit installer's own (w32x86).
TEST_F(CopyingFixture, VistaX64StartsSysFileCopierQuotedInPlaceOfTheSystemFiles) {
    Use(PlatformVista, Processor64);
    paths.module = "D:\\Kestra Setup\\TQ82Ins.exe";  // a medium path with a space
    files.AddFile("D:\\Kestra Setup\\SysFileCopier.exe");
    files.AddFile("D:\\Kestra Setup\\SetupNT.dll");
    files.AddFile("D:\\Kestra Setup\\Driver\\Vista\\T8242if.inf");
    for (const char* n : {"T8242dr.dll", "T8242ui.dll", "T8242rc.dll", "T8242pi.dll", "T8242ui.chm",
                          "T8242.dat", "T8242lm.dll", "T824XWM.dat", "USBMON.dll", "T824XSM.exe"}) {
        files.AddFile(std::string("D:\\Kestra Setup\\Driver\\Vista\\") + n);
    }
    std::size_t copiedAtStart = 0;
    files.onCopy = [&](const std::string&) {
        if (processes.calls.empty()) copiedAtStart = files.copied.size() + 1;
    };
    ASSERT_EQ(Place(), 1);

    const Names batch = {"T8242dr.dll", "T8242ui.dll", "T8242rc.dll", "T8242pi.dll", "T8242ui.chm",
                         "T8242.dat",   "T8242lm.dll", "T824XWM.dat", "USBMON.dll",  "T8242if.inf"};
    const std::string spooler = "C:\\WINDOWS\\system32\\spool\\drivers\\x64\\";
    EXPECT_EQ(files.copied, Join({In(spooler, batch),
                                  In(spooler + "3\\", batch),
                                  {"C:\\WINDOWS\\system32\\T824XSM.exe"}}));
    EXPECT_EQ(processes.calls, Names{"Run \"D:\\Kestra Setup\\SysFileCopier.exe\" 5 4000"});
    EXPECT_EQ(copiedAtStart, 20u);  // after both spooler folders, before anything else
    EXPECT_EQ(libraries.calls, Names{"CopyInf(C:\\Program Files\\Kestra\\Office TQ,T8242if.inf)"});
    // Nothing is posted for SysFileCopier's files; CopyInf posts without a new file name.
    EXPECT_EQ(Trace(progress), "p" + Times("pfc", 20) + "pc" + "pfc");
}

// The medium's helpers: without SysFileCopier.exe the monitor and the system files never reach
// the real system folder; without SetupNT.dll the INF is not installed (a refusal of CopyInf is
// accepted on Vista, a missing library is not). A missing one fails the placement with the
// missing-file message; nothing follows.
TEST_F(CopyingFixture, HelpersMissingFromTheMediumFailThePlacement) {
    struct Case {
        int platformClass, processorClass;
        const char* missing;  // a file removed from the medium, or none
        int result;
        std::size_t started, copyInfs;
        int posts;
    };
    const std::string medium = kMedium;
    for (const Case& c : {Case{PlatformXp, Processor64, nullptr, 1, 1, 1, 20},
                          Case{PlatformXp, Processor64, "SysFileCopier.exe", 0, 0, 0, 18},
                          Case{PlatformVista, Processor64, "SetupNT.dll", 0, 1, 0, 20},
                          Case{PlatformVista, Processor32, "SetupNT.dll", 0, 0, 0, 23}}) {
        SCOPED_TRACE(c.missing ? c.missing : "-");
        ClearRecords();
        processes.calls.clear();
        libraries.calls.clear();
        files.AddFile(medium + "SysFileCopier.exe").AddFile(medium + "SetupNT.dll");
        if (c.missing != nullptr) files.RemoveFile(medium + c.missing);
        Use(c.platformClass, c.processorClass);
        EXPECT_EQ(Place(), c.result);
        EXPECT_EQ(processes.calls.size(), c.started);
        EXPECT_EQ(libraries.calls.size(), c.copyInfs);
        EXPECT_EQ(progress.Messages(), c.missing ? Names{medium + c.missing + kSuffix} : Names{});
        EXPECT_EQ(progress.Posts(StageCopy, 1), c.posts);
    }
}

TEST_F(CopyingFixture, PauseChecksComeBeforeEveryFileTheFoldersAndCopyInf) {
    Use(PlatformXp, Processor32);
    ASSERT_EQ(Stage(), 1);
    // Folders, then every file including the untested catalogue.
    EXPECT_EQ(Trace(progress), "pp" + Times("pfc", 16));
    ClearRecords();
    ASSERT_EQ(Place(), 1);
    EXPECT_EQ(Trace(progress), "p" + Times("pfc", 21) + "pc" + "pfc");
}

// A pause request holds the engine at the pause point: nothing of the next unit is done while
// the page waits for the answer.
TEST_F(CopyingFixture, NothingMovesWhileThePageHoldsAPause) {
    Use(PlatformVista, Processor32);
    int pause = 0;
    progress.onPause = [&] {
        ++pause;
        if (pause == 1) {
            EXPECT_TRUE(files.calls.empty());  // before the folders
        } else if (pause == 2) {
            EXPECT_EQ(files.calls.size(), 4u);  // the four folders, no file yet
        } else {
            EXPECT_EQ(files.copied.size(), static_cast<std::size_t>(pause - 3));
        }
    };
    ASSERT_EQ(Stage(), 1);
    EXPECT_EQ(pause, 2 + 16);

    ClearRecords();
    pause = 0;
    progress.onPause = [&] {
        ++pause;
        if (pause == 2 + 23) {  // the one before CopyInf
            EXPECT_EQ(files.copied.size(), 23u);
            EXPECT_TRUE(libraries.calls.empty());
        }
    };
    ASSERT_EQ(Place(), 1);
    EXPECT_EQ(pause, 1 + 23 + 1 + 1);
}

TEST_F(CopyingFixture, StagingCreatesTheProgramFoldersInOrderAndReusesThem) {
    Use(Platform2000, Processor32);
    ASSERT_EQ(Stage(), 1);
    const Names folders = {"CreateFolder C:\\Program Files\\Kestra",
                           "CreateFolder C:\\Program Files\\Kestra\\Office TQ",
                           "CreateFolder C:\\Program Files\\Kestra\\Office TQ\\Driver",
                           "CreateFolder C:\\Program Files\\Kestra\\Office TQ\\Reg"};
    EXPECT_EQ(Names(files.calls.begin(), files.calls.begin() + 4), folders);
    EXPECT_TRUE(files.HasFolder(std::string(kProgram) + "\\Reg"));

    // A second run under the same name: folders already there, files overwritten (the copies
    // of the first run took the medium's read-only flag and are replaced all the same).
    files.AddFile("D:\\Setup\\Driver\\2KXP\\T8242dr.dll", "newer driver", true);
    ClearRecords();
    ASSERT_EQ(Stage(), 1);
    EXPECT_EQ(Contents(std::string(kProgram) + "\\Driver\\T8242dr.dll"), "newer driver");
    EXPECT_EQ(progress.Posts(StageCopy, 1), 15);
}

TEST_F(CopyingFixture, AFolderThatCannotBeCreatedFailsTheStagingSilently) {
    Use(PlatformXp, Processor32);
    files.failingFolders.insert(std::string(kProgram) + "\\Driver");
    EXPECT_EQ(Stage(), 0);
    EXPECT_TRUE(files.copied.empty());
    EXPECT_TRUE(progress.Messages().empty());
    EXPECT_EQ(files.calls.back(), "CreateFolder " + std::string(kProgram) + "\\Driver");
}

TEST_F(CopyingFixture, AMissingSourceStopsAtOnceWithItsFullPathAndTheSuffix) {
    Use(Platform9x, Processor9x);
    files.RemoveFile("D:\\Setup\\Driver\\98\\T8249ui.dll");
    EXPECT_EQ(Stage(), 0);
    EXPECT_EQ(progress.Messages(),
              Names{std::string("D:\\Setup\\Driver\\98\\T8249ui.dll") + kSuffix});
    EXPECT_TRUE(files.copied.empty());
    EXPECT_EQ(progress.Posts(StageCopy, 1), 0);

    // In the middle of a set: what came before stays, nothing after is touched.
    ClearRecords();
    Use(PlatformVista, Processor32);
    files.RemoveFile("D:\\Setup\\Driver\\Vista\\T8242if.inf");
    EXPECT_EQ(Stage(), 0);
    EXPECT_EQ(progress.Messages(),
              Names{std::string("D:\\Setup\\Driver\\Vista\\T8242if.inf") + kSuffix});
    EXPECT_EQ(files.copied.size(), 13u);  // 12 files and the catalogue
    EXPECT_EQ(files.calls.back(), "FileExists D:\\Setup\\Driver\\Vista\\T8242if.inf");
    EXPECT_EQ(Trace(progress).substr(Trace(progress).size() - 2), "pm");
}

TEST_F(CopyingFixture, AMissingSetupInformationFileStopsThePlacementBeforeCopyInf) {
    Use(PlatformXp, Processor32);
    files.RemoveFile("D:\\Setup\\Driver\\2KXP\\T8242if.inf");
    EXPECT_EQ(Place(), 0);
    EXPECT_EQ(progress.Messages(),
              Names{std::string("D:\\Setup\\Driver\\2KXP\\T8242if.inf") + kSuffix});
    EXPECT_TRUE(libraries.calls.empty());
    EXPECT_EQ(files.copied.size(), 21u);
}

TEST_F(CopyingFixture, AMissingCatalogueChangesNothing) {
    for (int platformClass : {PlatformXp, PlatformVista}) {
        SCOPED_TRACE(platformClass);
        ClearRecords();
        Use(platformClass, Processor32);
        files.RemoveFile("D:\\Setup\\Driver\\2KXP\\T8242if.cat");
        EXPECT_EQ(Stage(), 1);
        EXPECT_TRUE(progress.Messages().empty());
        EXPECT_EQ(progress.Posts(StageCopy, 1), 16);
        EXPECT_EQ(progress.currentFileName, std::string(kProgram) + "\\T824uis.exe");
        // Tried as any other file, with the one retry, and passed over.
        const std::string cat = std::string(kProgram) + "\\Driver\\T8242if.cat";
        int attempts = 0;
        for (const auto& call : files.calls) attempts += call.find(cat) != std::string::npos;
        EXPECT_EQ(attempts, 3);  // copy, attributes, copy
    }
}

TEST_F(CopyingFixture, AReadOnlyFileInTheSpoolerFolderIsReplaced) {
    Use(PlatformXp, Processor32);
    const std::string old = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3\\T8242dr.dll";
    files.AddFile(old, "old driver", /*readOnly=*/true);
    ASSERT_EQ(Place(), 1);
    EXPECT_EQ(Contents(old), "D:\\Setup\\Driver\\2KXP\\T8242dr.dll");
    auto at = std::find(files.calls.begin(), files.calls.end(),
                        "Copy D:\\Setup\\Driver\\2KXP\\T8242dr.dll -> " + old + " failed");
    ASSERT_NE(at, files.calls.end());
    EXPECT_EQ(*(at + 1), "SetNormal " + old);
    EXPECT_EQ(*(at + 2), "Copy D:\\Setup\\Driver\\2KXP\\T8242dr.dll -> " + old);
    EXPECT_EQ(progress.Posts(StageCopy, 1), 23);
}

// One copy and its outcomes: a destination in use (the spooler holds the driver file) gets the
// new file beside it, replaced when Windows restarts and counted; anything else that refuses
// fails, with the file and the system's error in the log.
TEST_F(CopyingFixture, CopyReplacingStagesADestinationInUseAndFailsOnAnyOtherRefusal) {
    const std::string source = "D:\\Setup\\Driver\\2KXP\\T8242lm.dll";
    const std::string folder = "C:\\WINDOWS\\system32\\";
    const std::string destination = folder + "T8242lm.dll";
    const std::string staged = destination + ".new";
    const std::string inUse = destination + " in use: replaced when Windows restarts";
    const std::string notRecorded = destination +
                                    " in use, its replacement at the restart: failed, error 120 "
                                    "(This function is not supported on this system.)";
    const std::string copyFailed = "copy " + source + " to " + destination + ": failed, error ";
    errors.texts[120] = "This function is not supported on this system.";
    struct Case {
        const char* what;
        bool readOnly;            // an earlier installation's read-only copy is there
        std::uint32_t copyError;  // the destination refuses with it, after the attribute reset
        std::uint32_t recordError;
        int result;
        bool replaced, restart;  // the new file at the destination; recorded for the restart
        Names log;
    };
    const Case cases[] = {
        {"replaced", false, 0, 0, 1, true, false, {}},
        {"read-only, replaced", true, 0, 0, 1, true, false, {}},
        {"sharing violation", false, 32, 0, 1, false, true, {inUse}},
        {"lock violation", false, 33, 0, 1, false, true, {inUse}},
        {"mapped section", true, 1224, 0, 1, false, true, {inUse}},
        {"in use, not recorded (9x)", false, 32, 120, 0, false, false, {notRecorded}},
        {"access denied", false, 5, 0, 0, false, false, {copyFailed + "5 (Access is denied.)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearRecords();
        files.atRestart.clear();
        files.failingCopies.clear();
        files.RemoveFile(staged);
        job.filesAtRestart = 0;
        files.AddFile(destination, "old", c.readOnly);
        if (c.copyError != 0) files.failingCopies[destination] = c.copyError;
        files.replaceAtRestartError = c.recordError;

        EXPECT_EQ(CopyReplacing(files, source, folder, "T8242lm.dll", &job), c.result);
        EXPECT_EQ(Contents(destination), c.replaced ? source : "old");
        EXPECT_EQ(job.filesAtRestart, c.restart ? 1 : 0);
        using Pairs = std::vector<std::pair<std::string, std::string>>;
        const Pairs recorded = c.restart ? Pairs{{staged, destination}} : Pairs{};
        EXPECT_EQ(files.atRestart, recorded);
        // The new file waits beside the destination only while its replacement is recorded.
        EXPECT_EQ(Contents(staged), c.restart ? source : "<missing>");
        EXPECT_EQ(LogLines(), c.log);
        EXPECT_EQ(progress.currentFileName, destination);
    }
}

// In a stage: a file in use is counted and the stage goes on; any other refusal stops it there.
TEST_F(CopyingFixture, AFileInUseLetsThePlacementGoOnAndAFailedCopyStopsIt) {
    Use(PlatformXp, Processor32);
    const std::string held = "C:\\WINDOWS\\system32\\T8242lm.dll";  // the spooler's monitor
    files.failingCopies[held] = 32;
    EXPECT_EQ(Place(), 1);
    EXPECT_EQ(job.filesAtRestart, 1);
    EXPECT_EQ(progress.Posts(StageCopy, 1), 23);
    EXPECT_EQ(files.atRestart.size(), 1u);

    ClearRecords();
    libraries.calls.clear();
    files.failingCopies[held] = 5;
    EXPECT_EQ(Place(), 0);
    EXPECT_EQ(progress.Posts(StageCopy, 1), 19);  // both spooler folders and FWTQ8240.bin
    EXPECT_TRUE(libraries.calls.empty());
}

// SysFileCopier.exe is waited for at most 4 s and judged by its files in the real system folder,
// which a 32-bit installer on 64-bit Windows looks at with the redirection off; its exit code is
// logged.
TEST_F(CopyingFixture, SysFileCopierEndsInTimeAndLeavesItsFilesInTheRealSystemFolder) {
    const std::string program = std::string(kMedium) + "SysFileCopier.exe";
    const std::string monitor = "C:\\WINDOWS\\system32\\T8242lm.dll";
    struct Case {
        const char* what;
        ProgramRun run;
        const char* leftOut;  // a file of its step it does not place
        int result;
        const char* line;  // in the log's line about it
    };
    const Case cases[] = {
        {"ended 0", {ProgramRun::Ended, 0}, "", 1, "SysFileCopier.exe ended with exit code 0"},
        // A file it could not replace (in use): the one there counts, the code is logged.
        {"ended 2", {ProgramRun::Ended, 2}, "", 1, "SysFileCopier.exe ended with exit code 2"},
        {"timed out", {ProgramRun::TimedOut, 0}, "", 0, "SysFileCopier.exe did not end within"},
        {"not started", {ProgramRun::NotStarted, 2}, "", 0, "SysFileCopier.exe: failed, error 2"},
        {"a file missing", {ProgramRun::Ended, 0}, "T8242lm.dll", 0, "lm.dll is missing after"},
    };
    for (const bool wow64 : {true, false}) {
        paths.wow64System = wow64 ? "C:\\WINDOWS\\SysWOW64" : "";
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (wow64 ? ", 32-bit installer" : ""));
            ClearRecords();
            processes.calls.clear();
            libraries.calls.clear();
            Use(PlatformVista, Processor64);
            for (const std::string& name : CopierFiles()) {
                files.RemoveFile(paths.system + "\\" + name);
            }
            processes.run = c.run;
            copierLeavesOut = c.leftOut;
            EXPECT_EQ(Place(), c.result);
            EXPECT_EQ(processes.calls, Names{"Run \"" + program + "\" 5 4000"});
            const Names lines = LogLines();
            EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
                return l.find(c.line) != std::string::npos;
            })) << testing::PrintToString(lines);
            // Looked for in the real system folder, and only after the copier ended.
            const std::string look = (wow64 ? "FileExistsUnredirected " : "FileExists ") + monitor;
            EXPECT_EQ(std::count(files.calls.begin(), files.calls.end(), look),
                      c.run.outcome == ProgramRun::Ended ? 1 : 0);
            EXPECT_EQ(libraries.calls.size(), c.result == 1 ? 1u : 0u);  // nothing follows
        }
    }
}

TEST_F(CopyingFixture, CopyInfRefusalFailsWindows2000AndXpButNotVista) {
    libraries.copyInfResult = 0;  // refused, or SetupNT.dll or its export missing
    for (int platformClass : {Platform2000, PlatformXp}) {
        SCOPED_TRACE(platformClass);
        ClearRecords();
        libraries.calls.clear();
        Use(platformClass, Processor32);
        EXPECT_EQ(Place(), 0);
        EXPECT_EQ(libraries.calls.size(), 1u);
        EXPECT_EQ(progress.Posts(StageCopy, 1), 21);  // no post for CopyInf, no T824XSM.exe
        EXPECT_EQ(files.FindFile("C:\\WINDOWS\\system32\\T824XSM.exe"), nullptr);
        EXPECT_TRUE(progress.Messages().empty());
    }
    ClearRecords();
    Use(PlatformVista, Processor32);
    EXPECT_EQ(Place(), 1);
    EXPECT_EQ(progress.Posts(StageCopy, 1), 25);
    EXPECT_NE(files.FindFile("C:\\WINDOWS\\system32\\T824XSM.exe"), nullptr);
}

TEST_F(CopyingFixture, Nt4AndUnknownSystemsStageOnlyTheUninstallerAndPlaceNothing) {
    for (int platformClass : {PlatformNt4, PlatformOther}) {
        SCOPED_TRACE(platformClass);
        ClearRecords();
        Use(platformClass, Processor32);
        EXPECT_EQ(Stage(), 1);
        EXPECT_TRUE(files.HasFolder(std::string(kProgram) + "\\Driver"));
        EXPECT_EQ(files.copied, Names{std::string(kProgram) + "\\T824uis.exe"});
        EXPECT_EQ(Trace(progress), "pppfc");
        ClearRecords();
        EXPECT_EQ(Place(), 1);
        EXPECT_TRUE(files.calls.empty());
        EXPECT_EQ(Trace(progress), "p");
        EXPECT_TRUE(processes.calls.empty());
        EXPECT_TRUE(libraries.calls.empty());
    }
}

TEST_F(CopyingFixture, ThePathsOfALongPrinterNameFit) {
    const std::string name(32, 'N');
    settings.SetPrinterName(name);
    ASSERT_EQ(FieldText(settings.printerName).size(), 32u);
    Use(PlatformVista, Processor32);
    EXPECT_EQ(Stage(), 1);
    EXPECT_EQ(Place(), 1);
    EXPECT_TRUE(progress.Messages().empty());
    const std::string folder = "C:\\Program Files\\Kestra\\" + name;
    EXPECT_EQ(libraries.calls, Names{"CopyInf(" + folder + ",T8242if.inf)"});
    EXPECT_NE(files.FindFile(folder + "\\Driver\\T824XSM.exe"), nullptr);
    for (const auto& path : files.copied) EXPECT_LT(path.size(), 260u) << path;
}

// A path the A functions cannot take would name another file: the stage stops instead.
TEST_F(CopyingFixture, APathBeyond259CharactersStopsTheStage) {
    Use(PlatformXp, Processor32);
    paths.system = "C:\\" + std::string(244, 's');  // + "\FWTQ8240.bin" makes 260
    files.AddFolder(paths.system);
    EXPECT_EQ(Place(), 0);
    EXPECT_EQ(files.copied.size(), 18u);  // both spooler folders; not the system files
    EXPECT_TRUE(progress.Messages().empty());

    ClearRecords();
    paths.system = "C:\\" + std::string(243, 's');  // 259: fits
    files.AddFolder(paths.system);
    EXPECT_EQ(Place(), 1);
}

TEST_F(CopyingFixture, FoldersTheSystemCannotNameFailTheOperation) {
    Use(PlatformXp, Processor32);
    paths.module.clear();
    EXPECT_EQ(Stage(), 0);
    EXPECT_EQ(Place(), 0);
    EXPECT_TRUE(files.calls.empty());

    paths.module = "D:\\Setup\\TQ82Ins.exe";
    paths.windows.clear();
    EXPECT_EQ(Stage(), 0);
    EXPECT_EQ(Place(), 0);
    EXPECT_TRUE(files.calls.empty());

    // No driver directory: the spooler folders cannot be named, nothing lands at "\<name>".
    paths.windows = "C:\\WINDOWS";
    paths.driver.clear();
    EXPECT_EQ(Place(), 0);
    EXPECT_TRUE(files.copied.empty());
}

TEST_F(CopyingFixture, CheckSourceFileShowsTheMessageOnlyWithSuffixAndPage) {
    const std::string missing = "D:\\Setup\\Driver\\98\\nothing.dll";
    EXPECT_EQ(CheckSourceFile(files, "D:\\Setup\\Driver\\98\\t8249UI.DLL", "!", &job), 1);
    EXPECT_EQ(CheckSourceFile(files, missing, nullptr, &job), 0);
    EXPECT_EQ(CheckSourceFile(files, missing, "!", nullptr), 0);
    InstallJob noPage;
    EXPECT_EQ(CheckSourceFile(files, missing, "!", &noPage), 0);
    EXPECT_TRUE(progress.Messages().empty());
    EXPECT_EQ(CheckSourceFile(files, missing, "!", &job), 0);
    EXPECT_EQ(progress.Messages(), Names{missing + "!"});
    // FindFirstFileA finds folders too.
    EXPECT_EQ(CheckSourceFile(files, "D:\\Setup\\Driver", "!", &job), 1);
}

TEST_F(CopyingFixture, CopyReplacingNamesTheDestinationBeforeCopying) {
    std::string nameAtCopy;
    files.onCopy = [&](const std::string&) { nameAtCopy = progress.currentFileName; };
    EXPECT_EQ(CopyReplacing(files, "D:\\Setup\\T824uis.exe", "C:\\WINDOWS\\", "T824uis.exe", &job),
              1);
    EXPECT_EQ(nameAtCopy, "C:\\WINDOWS\\T824uis.exe");
    // A source that is not there: 0, after the retry.
    EXPECT_EQ(CopyReplacing(files, "D:\\none", "C:\\WINDOWS\\", "none", nullptr), 0);
    EXPECT_EQ(files.calls.back(), "Copy D:\\none -> C:\\WINDOWS\\none failed");
    EXPECT_EQ(progress.currentFileName, "C:\\WINDOWS\\T824uis.exe");  // no job, no name
}

}  // namespace
}  // namespace tq
