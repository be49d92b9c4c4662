#include "install/engine/install_log.h"

#include <gtest/gtest.h>

#include "tests/support/fake_log_file.h"

namespace tq {
namespace {

TEST(InstallLog, LinesAreTimestampedWholeWritesWithTheSystemsErrorOnFailure) {
    test::FakeLogFile file;
    test::FakeSystemErrors errors;
    InstallLog log(file, errors);
    ASSERT_TRUE(log.Open(""));
    EXPECT_EQ(file.opened, std::vector<std::string>{"C:\\Users\\me\\AppData\\Local\\Temp\\TQ82Ins.log"});

    log.Header("unattended", 5, 2, {"/quiet", "/name:Front Desk"});
    EXPECT_TRUE(log.Step("shortcuts", true));
    errors.last = 5;
    EXPECT_FALSE(log.Step("driver", false));
    errors.last = 1801;  // no text for it
    log.Step("queue", false);
    errors.last = 0;  // a rule of the program's own, not the system's
    log.Step("copy", false);
    log.Failure("copy A", 5);  // an error the caller kept, whatever the thread's last one
    log.Failure("copy B", 0);
    EXPECT_EQ(file.writes,
              (std::vector<std::string>{
                  "2026-12-07 09:05:03.042 TQ82Ins.exe 1.0.0, unattended, platform class 5, "
                  "processor class 2, options: /quiet \"/name:Front Desk\"\r\n",
                  "2026-12-07 09:05:03.042 shortcuts: ok\r\n",
                  "2026-12-07 09:05:03.042 driver: failed, error 5 (Access is denied.)\r\n",
                  "2026-12-07 09:05:03.042 queue: failed, error 1801\r\n",
                  "2026-12-07 09:05:03.042 copy: failed\r\n",
                  "2026-12-07 09:05:03.042 copy A: failed, error 5 (Access is denied.)\r\n",
                  "2026-12-07 09:05:03.042 copy B: failed\r\n",
              }));

    // A log that cannot be opened writes nothing, and an empty temporary folder opens nothing.
    file.writes.clear();
    file.openFails = true;
    EXPECT_FALSE(log.Open("D:\\logs\\tq.log"));
    log.Line("lost");
    file.openFails = false;
    file.temp.clear();
    EXPECT_FALSE(log.Open(""));
    EXPECT_EQ(file.opened.back(), "D:\\logs\\tq.log");
    log.Line("lost too");
    EXPECT_TRUE(file.writes.empty());
}

// A name that opens a device or a pipe is refused before anything is opened: the default log
// takes its place, as for a folder that cannot be written.
TEST(InstallLog, OnlyAFileOnADiskIsOpened) {
    const struct {
        const char* path;
        bool disk;
    } cases[] = {
        {"D:\\logs\\tq.log", true},
        {"\\\\srv\\logs\\tq.log", true},
        {"D:\\logs\\console.log", true},
        {"D:\\logs\\com10.log", true},
        {"D:\\logs\\pipe\\tq.log", true},
        {"\\\\.\\pipe\\x", false},
        {"//./pipe/x", false},
        {"\\\\?\\C:\\logs\\tq.log", false},
        {"\\\\srv\\PIPE\\x", false},
        {"\\\\srv\\mailslot\\x", false},
        {"COM1", false},
        {"lpt1:", false},
        {"D:\\logs\\NUL.txt", false},
        {"D:\\logs\\con .log", false},
        {"C:CONOUT$", false},
        {"D:\\logs\\Aux", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        test::FakeLogFile file;
        test::FakeSystemErrors errors;
        InstallLog log(file, errors);
        EXPECT_EQ(log.OpenOrDefault(c.path), c.disk);
        EXPECT_EQ(file.opened.front(),
                  c.disk ? c.path : "C:\\Users\\me\\AppData\\Local\\Temp\\TQ82Ins.log");
    }
}

}  // namespace
}  // namespace tq
