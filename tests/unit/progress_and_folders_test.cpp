#include <gtest/gtest.h>

#include "install/system/folders.h"
#include "install/engine/progress.h"
#include "tests/support/fake_system_paths.h"

namespace tq {
namespace {

TEST(StepCount, SizesTheBarPerPlatformClassAndNeverAsksToDivideByAnUnknownOne) {
    EXPECT_EQ(StepCount(1), 37);
    EXPECT_EQ(StepCount(2), 68);
    for (int platformClass : {3, 4, 5}) EXPECT_EQ(StepCount(platformClass), 48);
    for (int platformClass : {-1, 0, 6, 99}) EXPECT_EQ(StepCount(platformClass), 0);
}

TEST(SourceFolder, IsTheInstallersFolderWhateverTheFileIsCalled) {
    test::FakeSystemPaths paths;
    struct Case {
        const char* module;
        bool codePage936;
        const char* folder;
    };
    const Case cases[] = {
        {"D:\\TQ82Ins.exe", true, "D:\\"},
        {"C:\\Medium\\TQ82Ins.exe", true, "C:\\Medium\\"},
        // A renamed download: a fixed cut of 11 characters would give "C:\Users\me\Downloads\TQ".
        {"C:\\Users\\me\\Downloads\\TQ82Ins (1).exe", true, "C:\\Users\\me\\Downloads\\"},
        {"TQ82Ins.exe", true, ""},
        // The second byte of a double-byte character may be 0x5C: it is no folder separator.
        {"C:\\\x95\x5CTQ82Ins.exe", true, "C:\\"},
        {"C:\\\x95\x5C\\TQ82Ins.exe", true, "C:\\\x95\x5C\\"},
        // On a single-byte code page the same bytes are two characters: "Caf\xE9" ends there.
        {"C:\\Caf\xE9\\TQ82Ins.exe", false, "C:\\Caf\xE9\\"},
        {"C:\\\x95\x5CTQ82Ins.exe", false, "C:\\\x95\x5C"},
    };
    for (const Case& c : cases) {
        paths.module = c.module;
        paths.leadBytes936 = c.codePage936;
        EXPECT_EQ(SourceFolder(paths), c.folder) << c.module;
    }
}

TEST(ProgramFolderOf, TakesTheWindowsDriveAndThePrinterName) {
    EXPECT_EQ(ProgramFolderOf("C:\\Windows", "Kestra TQ8240 Series"),
              "C:\\Program Files\\Kestra\\Kestra TQ8240 Series");
    EXPECT_EQ(ProgramFolderOf("E:\\WINNT", "Office"), "E:\\Program Files\\Kestra\\Office");
    // Two names, two folders.
    EXPECT_NE(ProgramFolderOf("C:\\Windows", "A"), ProgramFolderOf("C:\\Windows", "B"));
    EXPECT_EQ(ProgramFolderOf("C:", "Office"), "");
}

}  // namespace
}  // namespace tq
