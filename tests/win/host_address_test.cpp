// The adapter listing, the application-data folder and the host address file against Wine's real
// API: GetAdaptersInfo in a namespace with only loopback, and the profile file written and read
// back through the real file system and profile functions.
#include <windows.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "install/network/host_address.h"
#include "install/network/printer_search.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/network_adapters_win32.h"
#include "platform/win32/profile_strings_win32.h"
#include "platform/win32/system_paths_win32.h"
#include "tests/win/file_contents.h"

namespace tq {
namespace {

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

using test::ReadAll;

TEST(NetworkAdaptersWin32, ListsDottedAddressesOrFailsAsTheCallDoes) {
    // What Wine answers here, for the record: the first call into the 640-byte buffer.
    std::vector<unsigned char> buffer(640);
    ULONG size = static_cast<ULONG>(buffer.size());
    const DWORD first = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    std::printf("measured: GetAdaptersInfo(640 bytes) = %lu, size %lu\n", first, size);

    Win32NetworkAdapters adapters;
    std::vector<AdapterAddress> addresses = {{"stale", "stale"}};
    const bool ok = adapters.ListAddresses(addresses);
    std::printf("measured: ListAddresses %s, %u entries\n", ok ? "true" : "false",
                static_cast<unsigned>(addresses.size()));
    if (!ok) {
        // A failed listing leaves nothing behind, and the API itself did fail.
        EXPECT_TRUE(addresses.empty());
        EXPECT_NE(first, static_cast<DWORD>(NO_ERROR));
    }
    for (const auto& a : addresses) {
        std::printf("measured:   \"%s\" %s\n", a.description.c_str(), a.address.c_str());
        std::uint32_t parsed = 0;
        EXPECT_TRUE(ParseDottedAddress(a.address, parsed)) << a.address;
    }

    // The same answer as rows, or the failure text on the standard output and no rows.
    const auto rows = AdapterRows(adapters, stdout);
    EXPECT_EQ(rows.size(), addresses.size());
}

// Run by win.hostaddress-veth in a namespace of its own where veth end "tqa" has 10.77.1.1 and
// 10.77.2.1 and its peer "tqb" has 10.77.3.1: more than the first 640 bytes hold, and an
// adapter with two addresses.
TEST(NetworkAdaptersVeth, EveryAddressOfEveryAdapterInItsOwnOrder) {
    if (std::getenv("TQ_VETH_ADAPTERS") == nullptr) {
        GTEST_SKIP() << "needs the namespace that win.hostaddress-veth makes";
    }
    Win32NetworkAdapters adapters;
    std::vector<AdapterAddress> addresses;
    ASSERT_TRUE(adapters.ListAddresses(addresses));
    std::vector<std::string> tqa, tqb;
    for (const auto& a : addresses) {
        if (a.description == "tqa") tqa.push_back(a.address);
        if (a.description == "tqb") tqb.push_back(a.address);
    }
    EXPECT_EQ(tqa, (std::vector<std::string>{"10.77.1.1", "10.77.2.1"}));
    EXPECT_EQ(tqb, (std::vector<std::string>{"10.77.3.1"}));
    EXPECT_EQ(addresses.size(), 3u);  // loopback is not listed
}

TEST(SystemPathsWin32, ApplicationDataFolderExistsWithoutATrailingBackslash) {
    Win32SystemPaths paths;
    const std::string folder = paths.ApplicationDataFolder();
    std::printf("measured: application data %s\n", folder.c_str());
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(IsFolder(folder));
    EXPECT_EQ(HostAddressFilePath(paths), folder + "\\TRX100\\HostIPAddress.ini");
}

TEST(HostAddressWin32, StoredAddressReadsBackAndAReadOnlyFileIsOverwritten) {
    Win32SystemPaths paths;
    Win32FileSystem files;
    Win32ProfileStrings profile;
    const std::string folder = HostAddressFolder(paths);
    const std::string path = HostAddressFilePath(paths);
    ASSERT_FALSE(folder.empty());

    // Reading makes the folder; no file yet means no preference.
    EXPECT_EQ(ReadHostAddress(paths, files, profile), "");
    EXPECT_TRUE(IsFolder(folder));

    StoreHostAddress(paths, files, profile, "192.168.0.5");
    EXPECT_EQ(ReadHostAddress(paths, files, profile), "192.168.0.5");
    const std::string text = ReadAll(path);
    EXPECT_NE(text.find("[IP]"), std::string::npos) << text;
    EXPECT_NE(text.find("Address=192.168.0.5"), std::string::npos) << text;

    // Sections and keys in any case; another key of the file reads as empty.
    EXPECT_EQ(profile.ReadString(path, "ip", "ADDRESS", kHostAddressBufferSize), "192.168.0.5");
    EXPECT_EQ(profile.ReadString(path, "IP", "Other", kHostAddressBufferSize), "");

    // A read-only, hidden file is made writable and overwritten. (Wine run as root writes
    // through the read-only attribute anyway, so only the result and the attributes tell here.)
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    StoreHostAddress(paths, files, profile, "10.0.0.7");
    const DWORD attributes = GetFileAttributesA(path.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
    EXPECT_EQ(ReadHostAddress(paths, files, profile), "10.0.0.7");

    // A longer value is cut to the 31 characters of the reader's buffer.
    const std::string forty(40, '7');
    ASSERT_TRUE(profile.WriteString(path, "IP", "Address", forty));
    EXPECT_EQ(ReadHostAddress(paths, files, profile), forty.substr(0, 31));

    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace tq
