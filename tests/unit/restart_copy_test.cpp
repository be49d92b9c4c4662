#include "install/engine/restart_copy.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "install/engine/copying.h"
#include "install/engine/install_log.h"
#include "install/engine/restart_placement.h"
#include "install/system/platform_class.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/fake_log_file.h"
#include "tests/support/fake_setup_libraries.h"
#include "tests/support/fake_system_paths.h"

namespace tq {
namespace {

using test::FakeFileSystem;

constexpr char kMedium[] = "E:\\Stick\\";
constexpr char kFolder[] = "C:\\Program Files\\Kestra\\Kestra TQ8240 Series\\Restart\\";
constexpr char kCopy[] = "C:\\Program Files\\Kestra\\Kestra TQ8240 Series\\Restart\\TQ82Ins.exe";

// SysFileCopier.exe puts its files into the system folder when it is run.
struct CopierProcesses : Processes {
    FakeFileSystem& files;
    std::string system;
    CopierProcesses(FakeFileSystem& f, std::string s) : files(f), system(std::move(s)) {}
    bool StartProgram(const std::string&, int) override { return true; }
    ProgramRun RunAndWait(const std::string&, int, unsigned) override {
        for (const char* n : {"FWTQ8240.bin", "T8242lm.dll", "T824XWM.dat"}) {
            files.AddFile(system + "\\" + n);
        }
        return {ProgramRun::Ended, 0};
    }
};

struct RestartCopyTest : ::testing::Test {
    FakeFileSystem files;
    test::FakeSystemPaths paths;

    void SetUp() override {
        paths.module = std::string(kMedium) + "TQ82Ins (1).exe";  // a renamed download
        files.AddFolder("C:\\Program Files")
            .AddFolder("C:\\WINDOWS\\Inf")
            .AddFolder("C:\\WINDOWS\\System32\\Drivers")
            .AddFolder("C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3")
            .AddFolder("C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3");
        paths.otherDriverDirectories["Windows x64"] = "C:\\WINDOWS\\system32\\spool\\drivers\\x64";
    }
    // The medium of one platform, read-only as on a CD.
    std::vector<std::string> AddMedium(int platformClass, int processorClass) {
        std::vector<std::string> medium{paths.module};
        for (const auto& relative : FilesOfResumedRun(platformClass, processorClass)) {
            medium.push_back(kMedium + relative);
        }
        for (const auto& path : medium) files.AddFile(path, "medium", /*readOnly=*/true);
        return medium;
    }
};

// The copy is enough for a whole installation and its post-restart placement with the medium
// gone, and a second 重启 replaces the read-only copies the first one made.
TEST_F(RestartCopyTest, AnInstallationFromTheCopyReadsNothingFromTheMedium) {
    const std::pair<int, int> platforms[] = {
        {Platform9x, Processor9x}, {Platform2000, Processor32},  {PlatformXp, Processor32},
        {PlatformXp, Processor64}, {PlatformVista, Processor32}, {PlatformVista, Processor64}};
    for (const auto& [platformClass, processorClass] : platforms) {
        SCOPED_TRACE(platformClass * 10 + processorClass);
        paths.module = std::string(kMedium) + "TQ82Ins (1).exe";
        const auto medium = AddMedium(platformClass, processorClass);
        ASSERT_EQ(CopyForResumedRun(paths, files, platformClass, processorClass), kCopy);
        ASSERT_EQ(CopyForResumedRun(paths, files, platformClass, processorClass), kCopy);
        for (const auto& path : medium) files.RemoveFile(path);

        paths.module = kCopy;
        files.calls.clear();
        CopierProcesses processes(files, paths.system);
        test::FakeSetupLibraries libraries;
        test::FakeLogFile logFile;
        test::FakeSystemErrors errors;
        InstallLog log{logFile, errors};
        InstallJob job;
        job.log = &log;
        job.platformClass = platformClass;
        job.processorClass = processorClass;
        WizardSettings settings;
        settings.SetPrinterName("Office TQ");
        const CopyServices services{paths, files, processes, libraries};
        EXPECT_EQ(StageDriverFiles(job, settings, services), 1);
        EXPECT_EQ(PlaceDriverFiles(job, settings, services), 1);
        EXPECT_EQ(PlaceDriverFilesAfterRestart(paths, files, platformClass, processorClass), 1);
        for (const auto& call : files.calls) {
            EXPECT_EQ(call.find(kMedium), std::string::npos) << call;
        }
    }
}

TEST_F(RestartCopyTest, AFileTheMediumLacksLeavesTheCopyAndTheCopyOfTheCopyIsItself) {
    AddMedium(PlatformVista, Processor64);
    files.RemoveFile(std::string(kMedium) + "PnpDrvRefresh.exe");
    files.AddFile(std::string(kFolder) + "PnpDrvRefresh.exe", "from an earlier restart");
    EXPECT_EQ(CopyForResumedRun(paths, files, PlatformVista, Processor64), kCopy);
    EXPECT_EQ(files.FindFile(std::string(kFolder) + "PnpDrvRefresh.exe"), nullptr);

    paths.module = kCopy;
    files.copied.clear();
    EXPECT_EQ(CopyForResumedRun(paths, files, PlatformVista, Processor64), kCopy);
    EXPECT_TRUE(files.copied.empty());
}

}  // namespace
}  // namespace tq
