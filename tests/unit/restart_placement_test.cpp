#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/engine/restart_placement.h"
#include "install/system/platform_class.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/fake_system_paths.h"

namespace tq {
namespace {

using test::FakeFileSystem;

constexpr char kMedium[] = "E:\\";

struct Paths : test::FakeSystemPaths {
    Paths() {
        module = std::string(kMedium) + "TQ82Ins.exe";
        driver = "C:\\WINDOWS\\SYSTEM\\spool\\drivers";
    }
};

const std::vector<std::string> kFour = {"T8242dr.dll", "T8242ui.dll", "T8242pi.dll",
                                        "T8242rc.dll"};

struct RestartPlacementTest : ::testing::Test {
    Paths paths;
    FakeFileSystem files;

    void AddMedium(const std::string& folder, const std::vector<std::string>& names) {
        for (const auto& n : names) files.AddFile(kMedium + folder + n, folder + n);
    }
};

TEST_F(RestartPlacementTest, NtFamilyPutsTheFourFilesIntoTheVersion3Folder) {
    AddMedium("Driver\\2KXP\\", kFour);
    AddMedium("Driver\\Vista\\", kFour);
    files.AddFolder("C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3");
    files.AddFolder("C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3");
    struct Case {
        int platformClass;
        int processorClass;
        const char* source;
        const char* destination;
    };
    const Case cases[] = {
        {PlatformXp, Processor32, "Driver\\2KXP\\", "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3\\"},
        {Platform2000, Processor32, "Driver\\2KXP\\", "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3\\"},
        {PlatformVista, Processor64, "Driver\\Vista\\", "C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\"},
        {PlatformXp, Processor64, "Driver\\2KXP\\", "C:\\WINDOWS\\system32\\spool\\drivers\\x64\\3\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.platformClass * 10 + c.processorClass);
        files.copied.clear();
        EXPECT_EQ(PlaceDriverFilesAfterRestart(paths, files, c.platformClass, c.processorClass), 1);
        std::vector<std::string> expected;
        for (const auto& n : kFour) expected.push_back(c.destination + n);
        EXPECT_EQ(files.copied, expected);
        for (const auto& n : kFour) {
            ASSERT_NE(files.FindFile(c.destination + n), nullptr);
            EXPECT_EQ(files.FindFile(c.destination + n)->contents, c.source + n);
        }
    }
}

TEST_F(RestartPlacementTest, Windows9xTakesSevenFromTheMediumRootIntoTheDriverDirectory) {
    AddMedium("", {"T8249LM.dll", "T824916.dll", "T824932.dll", "T8249DR.drv", "T8249rc.dll",
                   "T8249ui.dll"});
    files.AddFolder(paths.driver);
    EXPECT_EQ(PlaceDriverFilesAfterRestart(paths, files, Platform9x, Processor9x), 1);
    const std::string d = paths.driver + "\\";
    EXPECT_EQ(files.copied,
              (std::vector<std::string>{d + "T8249LM.dll", d + "T824916.dll", d + "T824932.dll",
                                        d + "T8249DR.drv", d + "T8249LM.dll", d + "T8249rc.dll",
                                        d + "T8249ui.dll"}));
}

TEST_F(RestartPlacementTest, ClassesWithoutFilesCopyNothing) {
    for (int platformClass : {PlatformNt4, PlatformOther}) {
        EXPECT_EQ(PlaceDriverFilesAfterRestart(paths, files, platformClass, Processor32), 1);
    }
    EXPECT_TRUE(files.calls.empty());
}

TEST_F(RestartPlacementTest, StopsSilentlyAtTheFirstMissingFileKeepingEarlierCopies) {
    AddMedium("Driver\\2KXP\\", {"T8242dr.dll", "T8242ui.dll", "T8242rc.dll"});  // no pi
    files.AddFolder("C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3");
    EXPECT_EQ(PlaceDriverFilesAfterRestart(paths, files, PlatformXp, Processor32), 0);
    const std::string d = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3\\";
    EXPECT_EQ(files.copied, (std::vector<std::string>{d + "T8242dr.dll", d + "T8242ui.dll"}));
}

TEST_F(RestartPlacementTest, ReadOnlyTargetsAreReplacedRefusalsReportedAndUnknownPathsFail) {
    AddMedium("Driver\\2KXP\\", kFour);
    const std::string d = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\3\\";
    files.AddFile(d + "T8242ui.dll", "old", /*readOnly=*/true);
    EXPECT_EQ(PlaceDriverFilesAfterRestart(paths, files, PlatformXp, Processor32), 1);
    EXPECT_EQ(files.FindFile(d + "T8242ui.dll")->contents, "Driver\\2KXP\\T8242ui.dll");

    // A file in use is replaced at the next restart; a copy refused otherwise gives 0 and
    // the others are still copied.
    files.failingCopies[d + "T8242ui.dll"] = 32;
    files.failingCopies[d + "T8242dr.dll"] = 5;
    files.copied.clear();
    EXPECT_EQ(PlaceDriverFilesAfterRestart(paths, files, PlatformXp, Processor32), 0);
    EXPECT_EQ(files.atRestart, (std::vector<std::pair<std::string, std::string>>{
                                   {d + "T8242ui.dll.new", d + "T8242ui.dll"}}));
    EXPECT_EQ(files.copied, (std::vector<std::string>{d + "T8242ui.dll.new", d + "T8242pi.dll",
                                                      d + "T8242rc.dll"}));
    files.failingCopies.clear();

    files.calls.clear();
    paths.system.clear();  // the system folder unknown: nothing goes to a root folder
    EXPECT_EQ(PlaceDriverFilesAfterRestart(paths, files, PlatformXp, Processor32), 0);
    paths.system = "C:\\WINDOWS\\system32";
    paths.module = "TQ82Ins.exe";  // no folder in the program's path
    EXPECT_EQ(PlaceDriverFilesAfterRestart(paths, files, PlatformXp, Processor32), 0);
    EXPECT_TRUE(files.calls.empty());
}

}  // namespace
}  // namespace tq
