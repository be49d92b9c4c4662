// The functions some supported systems lack are looked up at run time: where the library or the
// export is missing, each answer is the documented failure, never a call through a null pointer.
// The tests name a library that does not exist and one that exists without the export.
// This program links neither ws2_32 nor iphlpapi: it has only what the lookups load.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/win32/network_adapters_win32.h"
#include "platform/win32/process_list_win32.h"
#include "platform/win32/sockets_win32.h"

namespace tq {
namespace {

constexpr char kNoSuchLibrary[] = "tq-no-such-library.dll";

TEST(RunTimeLookup, MissingToolhelpGivesNoSnapshot) {
    EXPECT_FALSE(Win32ProcessList(kNoSuchLibrary).Snapshot());
    // ntdll is always loaded and has none of the three.
    EXPECT_FALSE(Win32ProcessList("ntdll.dll").Snapshot());
    EXPECT_TRUE(Win32ProcessList().Snapshot());
}

TEST(RunTimeLookup, MissingAdapterListingFailsAndLeavesNothing) {
    for (const char* library : {kNoSuchLibrary, "kernel32.dll"}) {
        std::vector<AdapterAddress> addresses = {{"stale", "stale"}};
        EXPECT_FALSE(Win32NetworkAdapters(library).ListAddresses(addresses)) << library;
        EXPECT_TRUE(addresses.empty()) << library;
    }
}

TEST(RunTimeLookup, MissingWinsockStartsNoSessionAndASocketKeepsItsLibrary) {
    EXPECT_EQ(Win32Sockets(kNoSuchLibrary).Start(), nullptr);
    EXPECT_EQ(Win32Sockets("kernel32.dll").Start(), nullptr);

    // A socket that outlives its session (against the rule) still closes through a loaded
    // library instead of calling into one already freed.
    Win32Sockets sockets;
    std::unique_ptr<SocketSession> session = sockets.Start();
    ASSERT_NE(session, nullptr);
    std::unique_ptr<DatagramSocket> socket = session->OpenDatagramSocket();
    ASSERT_NE(socket, nullptr);
    session.reset();
    EXPECT_NE(GetModuleHandleA("ws2_32.dll"), nullptr);
    socket.reset();
}

}  // namespace
}  // namespace tq
