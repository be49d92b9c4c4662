#include "install/engine/install_steps.h"

#include <gtest/gtest.h>

#include "install/engine/install_log.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/fake_log_file.h"
#include "tests/support/fake_registry.h"
#include "tests/support/fake_setup_libraries.h"
#include "tests/support/fake_shell_links.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/fake_system_paths.h"

namespace tq {
namespace {

constexpr char kModel[] = "Kestra TQ8240 Series";

struct Vista : SystemInfo {
    OsVersion Version() override { return {2, 6, 1}; }
    bool NativeArchitecture(std::uint16_t&) override { return false; }
};

struct Nothing : Processes {
    bool StartProgram(const std::string&, int) override { return false; }
    ProgramRun RunAndWait(const std::string&, int, unsigned) override { return {}; }
};

struct StepsRig {
    WizardSettings settings;
    test::FakeSpooler spooler;
    test::FakeSetupLibraries libraries;
    test::FakeSystemPaths paths;
    test::FakeFileSystem files;
    test::FakeRegistry registry;
    test::FakeShellLinks links;
    Nothing processes;
    Vista system;
    PrinterSettings printers{spooler, libraries, system};
    std::vector<std::string> deleted;
    EngineSteps steps{settings,
                      CopyServices{paths, files, processes, libraries},
                      RegistrationServices{spooler, printers, libraries, paths, system},
                      registry,
                      paths,
                      links,
                      nullptr,
                      [this](const std::string& p) {
                          deleted.push_back(p);
                          return true;
                      }};
    test::FakeLogFile file;
    test::FakeSystemErrors errors;
    InstallLog log{file, errors};
    InstallJob job;
    StepsRig() {
        job.log = &log;
        log.Open("C:\\tq.log");
    }
};

// The queue of the model under the chosen name goes before the new one is registered; one that
// cannot go, or stays listed with jobs waiting, fails the run instead of leaving it in the way.
TEST(EngineSteps, ReplaceSameNameQueue) {
    struct Case {
        const char* what;
        const char* queue;   // a queue named "Front", of this driver (null: none)
        bool failDelete, pending;
        int result;
        bool stays;
        const char* logged;  // null: nothing
    };
    const Case cases[] = {
        {"no queue of that name", nullptr, false, false, 1, false, nullptr},
        {"the model's queue is deleted", kModel, false, false, 1, false,
         "delete the queue Front to make it anew: ok"},
        {"another driver's queue is not the model's to delete", "Contoso", false, false, 1, true,
         nullptr},
        {"a deletion refused", kModel, true, false, 0, true,
         "delete the queue Front to make it anew: failed"},
        {"a deletion left pending", kModel, false, true, 0, true,
         "delete the queue Front to make it anew: failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StepsRig r;
        r.settings.SetPrinterName("Front");
        if (c.queue != nullptr) r.spooler.AddQueue("Front", "LPT1:", c.queue);
        if (c.failDelete) r.spooler.failDelete.insert("Front");
        if (c.pending) r.spooler.pendingDelete.insert("Front");
        EXPECT_EQ(r.steps.ReplaceSameNameQueue(r.job), c.result);
        EXPECT_EQ(r.spooler.FindQueue("Front") != nullptr, c.stays);
        std::string all;
        for (const std::string& w : r.file.writes) all += w;
        if (c.logged != nullptr) {
            EXPECT_NE(all.find(c.logged), std::string::npos) << all;
        } else {
            EXPECT_EQ(all.find("delete the queue"), std::string::npos) << all;
        }
    }
}

TEST(EngineSteps, Windows9xPreparesTheHardwareWizardAndWritesTheSourceBack) {
    StepsRig r;
    const char* setupKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup";
    r.registry.AddValue(RegistryRoot::LocalMachine, setupKey, "SourcePath", "D:\\WIN98\\");
    r.steps.PrepareHardwareWizard(r.job);
    EXPECT_EQ(r.registry.ValueOf(RegistryRoot::LocalMachine, setupKey, "SourcePath"),
              std::optional<std::string>("C:\\WINDOWS\\system32\\"));
    EXPECT_EQ(r.deleted, (std::vector<std::string>{"C:\\WINDOWS\\inf\\Drvdata.bin",
                                                   "C:\\WINDOWS\\inf\\Drvidx.bin"}));
    r.steps.RestoreSetupSource(r.job);
    EXPECT_EQ(r.registry.ValueOf(RegistryRoot::LocalMachine, setupKey, "SourcePath"),
              std::optional<std::string>("D:\\WIN98\\"));
}

}  // namespace
}  // namespace tq
