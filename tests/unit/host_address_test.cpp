#include "install/network/host_address.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/fake_file_system.h"
#include "tests/support/fake_profile_strings.h"
#include "tests/support/fake_system_paths.h"

namespace tq {
namespace {

using test::FakeFileSystem;
using test::FakeProfileStrings;
using Rows = std::vector<std::vector<std::string>>;

constexpr char kRoaming[] = "C:\\Users\\a\\AppData\\Roaming";
constexpr char kFile[] = "C:\\Users\\a\\AppData\\Roaming\\TRX100\\HostIPAddress.ini";

struct Paths : test::FakeSystemPaths {
    Paths() {
        module = "E:\\Kestra CD\\TQ82Ins.exe";
        appData = kRoaming;
        driver.clear();
    }
};

TEST(HostAddressPath, FolderAndFileFromApplicationDataOrProgramFolder) {
    Paths paths;
    EXPECT_EQ(HostAddressFolder(paths), "C:\\Users\\a\\AppData\\Roaming\\TRX100");
    EXPECT_EQ(HostAddressFilePath(paths), kFile);

    paths.appData = "C:\\";  // a root keeps its own backslash
    EXPECT_EQ(HostAddressFilePath(paths), "C:\\TRX100\\HostIPAddress.ini");

    // No application-data folder: beside the program.
    paths.appData.clear();
    EXPECT_EQ(HostAddressFilePath(paths), "E:\\Kestra CD\\TRX100\\HostIPAddress.ini");
    paths.module = "E:\\TQ82Ins.exe";
    EXPECT_EQ(HostAddressFilePath(paths), "E:\\TRX100\\HostIPAddress.ini");

    // Neither: no file at all rather than one in the root of the current drive.
    paths.module.clear();
    EXPECT_EQ(HostAddressFolder(paths), "");
    EXPECT_EQ(HostAddressFilePath(paths), "");
}

struct HostAddressTest : ::testing::Test {
    Paths paths;
    FakeFileSystem files;
    FakeProfileStrings profile{&files};
};

TEST_F(HostAddressTest, ReadCreatesTheFolderFirstAndCutsTo31Characters) {
    files.AddFolder(kRoaming);
    EXPECT_EQ(ReadHostAddress(paths, files, profile), "");  // no file yet
    EXPECT_TRUE(files.HasFolder("C:\\Users\\a\\AppData\\Roaming\\TRX100"));
    const std::vector<std::string> expected = {
        "CreateFolder C:\\Users\\a\\AppData\\Roaming\\TRX100",
        std::string("ReadProfile ") + kFile + " [IP] Address"};
    EXPECT_EQ(files.calls, expected);

    profile.Set(kFile, "ip", "ADDRESS", "192.168.0.5");  // sections and keys in any case
    EXPECT_EQ(ReadHostAddress(paths, files, profile), "192.168.0.5");

    const std::string forty(40, '1');
    profile.Set(kFile, "IP", "Address", forty);
    EXPECT_EQ(ReadHostAddress(paths, files, profile), forty.substr(0, 31));

    // Another key only: no preference.
    FakeProfileStrings other{&files};
    other.Set(kFile, "IP", "Other", "10.0.0.1");
    EXPECT_EQ(ReadHostAddress(paths, files, other), "");
}

TEST_F(HostAddressTest, ReadWithAFolderThatCannotBeCreatedGivesNoPreference) {
    // The parent is missing, so the folder cannot be made; the read still happens.
    EXPECT_EQ(ReadHostAddress(paths, files, profile), "");
    EXPECT_EQ(files.calls.size(), 2u);
    EXPECT_FALSE(files.HasFolder("C:\\Users\\a\\AppData\\Roaming\\TRX100"));
}

TEST_F(HostAddressTest, StoreMakesAReadOnlyFileWritableBeforeTheWrite) {
    files.AddFolder(kRoaming);
    StoreHostAddress(paths, files, profile, "192.168.0.5");
    ASSERT_NE(profile.Find(kFile, "IP", "Address"), nullptr);
    EXPECT_EQ(*profile.Find(kFile, "IP", "Address"), "192.168.0.5");

    files.AddFile(kFile, "", /*readOnly=*/true);
    files.calls.clear();
    StoreHostAddress(paths, files, profile, "10.0.0.7");
    const std::vector<std::string> expected = {
        "CreateFolder C:\\Users\\a\\AppData\\Roaming\\TRX100", std::string("SetNormal ") + kFile,
        std::string("WriteProfile ") + kFile + " [IP] Address=10.0.0.7"};
    EXPECT_EQ(files.calls, expected);
    EXPECT_EQ(ReadHostAddress(paths, files, profile), "10.0.0.7");
    EXPECT_FALSE(files.FindFile(kFile)->readOnly);
}

TEST_F(HostAddressTest, FailuresAreNotReportedAndWithoutAFolderNothingIsTouched) {
    // Missing parent: the folder and the write fail quietly.
    StoreHostAddress(paths, files, profile, "192.168.0.5");
    ASSERT_EQ(profile.calls.size(), 1u);
    EXPECT_NE(profile.calls[0].find(" failed"), std::string::npos);
    EXPECT_EQ(profile.Find(kFile, "IP", "Address"), nullptr);

    paths.appData.clear();
    paths.module.clear();
    files.calls.clear();
    StoreHostAddress(paths, files, profile, "192.168.0.5");
    EXPECT_EQ(ReadHostAddress(paths, files, profile), "");
    EXPECT_TRUE(files.calls.empty());
}

class ScriptedAdapters : public NetworkAdapters {
  public:
    bool ListAddresses(std::vector<AdapterAddress>& out) override {
        out = addresses;
        return ok;
    }
    bool ok = true;
    std::vector<AdapterAddress> addresses;
};

std::string RowsAndOutput(NetworkAdapters& adapters, Rows& rows) {
    std::FILE* out = std::tmpfile();
    rows = AdapterRows(adapters, out);
    std::rewind(out);
    std::string text;
    for (int c; (c = std::fgetc(out)) != EOF;) text.push_back(static_cast<char>(c));
    std::fclose(out);
    return text;
}

TEST(AdapterRows, OneRowPerAddressInTheSystemsOrderOrTheFailureText) {
    ScriptedAdapters adapters;
    adapters.addresses = {
        {"Office LAN", "192.168.0.5"}, {"Office LAN", "10.1.0.5"}, {"Wireless", "0.0.0.0"}};
    Rows rows;
    EXPECT_EQ(RowsAndOutput(adapters, rows), "");
    const Rows expected = {
        {"Office LAN", "192.168.0.5"}, {"Office LAN", "10.1.0.5"}, {"Wireless", "0.0.0.0"}};
    EXPECT_EQ(rows, expected);

    adapters.ok = false;
    EXPECT_EQ(RowsAndOutput(adapters, rows), "Call to GetAdaptersInfo failed.\n");
    EXPECT_TRUE(rows.empty());
}

}  // namespace
}  // namespace tq
