#include <gtest/gtest.h>

#include "install/engine/folders.h"
#include "install/engine/progress.h"

namespace tq {
namespace {

TEST(StepCount, SizesTheBarPerPlatformClassAndNeverAsksToDivideByAnUnknownOne) {
    EXPECT_EQ(StepCount(1), 37);
    EXPECT_EQ(StepCount(2), 68);
    for (int platformClass : {3, 4, 5}) EXPECT_EQ(StepCount(platformClass), 48);
    for (int platformClass : {-1, 0, 6, 99}) EXPECT_EQ(StepCount(platformClass), 0);
}

TEST(SourceFolderOf, IsTheInstallersFolderWhateverTheFileIsCalled) {
    EXPECT_EQ(SourceFolderOf("D:\\TQ82Ins.exe"), "D:\\");
    EXPECT_EQ(SourceFolderOf("C:\\Medium\\TQ82Ins.exe"), "C:\\Medium\\");
    // A renamed download: a fixed cut of 11 characters would give "C:\Users\me\Downloads\TQ".
    EXPECT_EQ(SourceFolderOf("C:\\Users\\me\\Downloads\\TQ82Ins (1).exe"),
              "C:\\Users\\me\\Downloads\\");
    EXPECT_EQ(SourceFolderOf("TQ82Ins.exe"), "");
    // The second byte of a double-byte character may be 0x5C: it is no folder separator.
    EXPECT_EQ(SourceFolderOf("C:\\\x95\x5CTQ82Ins.exe"), "C:\\");
    EXPECT_EQ(SourceFolderOf("C:\\\x95\x5C\\TQ82Ins.exe"), "C:\\\x95\x5C\\");
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
