#include "uninstall/quiet_run.h"

#include <gtest/gtest.h>

#include "tests/support/fake_log_file.h"

namespace tq::uninstall {
namespace {

std::vector<std::string> Args(std::initializer_list<const char*> options) {
    std::vector<std::string> args{"VNTAdminUninstall.exe"};
    args.insert(args.end(), options.begin(), options.end());
    return args;
}

// The command line chooses: usage, dialog, quiet removal (0 or 1603 by its outcome), or 87.
// Only a removal that finished, or found nothing to remove, ends with 0.
TEST(UninstallProgram, TheCommandLineChoosesTheRun) {
    struct Case {
        std::vector<std::string> args;
        UninstallOutcome outcome;  // what the procedure answers, when it runs
        int exitCode;
        const char* ran;
        int usages;
        const char* loggedLast;  // nullptr: nothing logged
    };
    const Case cases[] = {
        {Args({}), UninstallOutcome::Finished, 0, "dialog", 0, nullptr},
        {Args({"/?"}), UninstallOutcome::Finished, 0, "", 1, nullptr},
        {Args({"/QUIET"}), UninstallOutcome::Finished, 0, "quiet", 0, "exit code 0"},
        {Args({"-quiet", "/log:D:\\\\u.log"}), UninstallOutcome::NothingInstalled, 0, "quiet", 0,
         "exit code 0"},
        {Args({"/quiet"}), UninstallOutcome::ToolRunning, 1603, "quiet", 0, "exit code 1603"},
        {Args({"/quiet"}), UninstallOutcome::FolderRefused, 1603, "quiet", 0, "exit code 1603"},
        {Args({"/quiet"}), UninstallOutcome::FilesLeft, 1603, "quiet", 0, "exit code 1603"},
        {Args({"/quiet", "/force"}), UninstallOutcome::Finished, 87, "", 0, "exit code 87"},
        {Args({"/quiet", "/quiet"}), UninstallOutcome::Finished, 87, "", 0, "exit code 87"},
        {Args({"/quiet:yes"}), UninstallOutcome::Finished, 87, "", 1, "exit code 87"},
        {Args({"/quiet", "/log:"}), UninstallOutcome::Finished, 87, "", 0, "exit code 87"},
        {Args({"/log:D:\\\\u.log"}), UninstallOutcome::Finished, 87, "", 1, "exit code 87"},
        {Args({"quiet"}), UninstallOutcome::Finished, 87, "", 1, "exit code 87"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.size() > 1 ? c.args[1] : "(none)");
        test::FakeLogFile file;
        test::FakeSystemErrors errors;
        RunLog log(file, errors);
        std::string ran;
        int usages = 0;
        UninstallProgram program{log, [&] { ++usages; }, [&] { ran = "dialog"; },
                                 [&](const UninstallReport& report) {
                                     EXPECT_TRUE(report.quiet);
                                     EXPECT_EQ(report.log, &log);
                                     ran = "quiet";
                                     return c.outcome;
                                 }};
        EXPECT_EQ(RunUninstallProgram(ParseUninstallCommandLine(c.args), program), c.exitCode);
        EXPECT_EQ(ran, c.ran);
        EXPECT_EQ(usages, c.usages);
        if (c.loggedLast == nullptr) {
            EXPECT_TRUE(file.writes.empty());
        } else {
            ASSERT_FALSE(file.writes.empty());
            EXPECT_NE(file.writes.back().find(c.loggedLast), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace tq::uninstall
