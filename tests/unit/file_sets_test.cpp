#include "install/engine/file_sets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "helpers/sys_file_copier/copier_files.h"
#include "install/system/platform_class.h"

namespace tq {
namespace {

using Names = std::vector<std::string>;

constexpr int kDriverClasses[] = {Platform9x, Platform2000, PlatformXp, PlatformVista};

Names Flatten(const FileStep& step) {
    Names out;
    for (const char* name : step.files) out.push_back(std::string(step.sourceFolder) + name);
    return out;
}

// Every file a step list copies, as "<medium folder><name>", in order.
Names Flatten(const StepList& steps, StepAction action = StepAction::Copy) {
    Names out;
    for (const FileStep& step : steps) {
        if (step.action != action) continue;
        for (auto& n : Flatten(step)) out.push_back(n);
    }
    return out;
}

Names Names_(const FileList& list) {
    return Names(list.begin(), list.end());
}

const FileStep* StepTo(const StepList& steps, Destination destination) {
    for (const FileStep& step : steps) {
        if (step.destination == destination) return &step;
    }
    return nullptr;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

TEST(FileSets, StagingOrderOfEachClass) {
    const Names nt = {"T8242dr.dll", "T8242ui.dll",  "T8242rc.dll", "T8242pi.dll",
                      "T8242UI.chm", "T8242.dat",    "T8242lm.dll", "T824XWM.dat",
                      "USBMON.dll",  "FWTQ8240.bin", "T8242lm.dll", "T824XWM.dat"};
    auto in = [](const std::string& folder, const Names& names) {
        Names out;
        for (const auto& n : names) out.push_back(folder + n);
        return out;
    };
    auto join = [](std::initializer_list<Names> parts) {
        Names out;
        for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };

    EXPECT_EQ(Flatten(DriverFileSetFor(Platform9x, Processor9x).staging),
              join({in("Driver\\98\\",
                       {"T8249ui.dll", "T8249rc.dll", "T8249dr.drv", "T824916.dll", "T824932.dll",
                        "T8249lm.dll", "FWTQ8240.bin", "T8249ui.hlp", "T824XWM.dat", "USBMON.DLL",
                        "USBPRINT.SYS", "T8249if.inf", "T824USB.inf", "T824XSM.exe"}),
                    {"T824uis.exe"}}));

    const Names tail2KXP = in("Driver\\2KXP\\", {"T8242if.inf", "T824XSM.exe"});
    EXPECT_EQ(Flatten(DriverFileSetFor(Platform2000, Processor32).staging),
              join({in("Driver\\2KXP\\", nt), tail2KXP, {"T824uis.exe"}}));
    EXPECT_EQ(
        Flatten(DriverFileSetFor(PlatformXp, Processor32).staging),
        join({in("Driver\\2KXP\\", nt), {"Driver\\2KXP\\T8242if.cat"}, tail2KXP, {"T824uis.exe"}}));

    Names ntVista = nt;
    ntVista[4] = "T8242ui.chm";
    EXPECT_EQ(Flatten(DriverFileSetFor(PlatformVista, Processor64).staging),
              join({in("Driver\\Vista\\", ntVista),
                    {"Driver\\2KXP\\T8242if.cat"},
                    in("Driver\\Vista\\", {"T8242if.inf", "T824XSM.exe"}),
                    {"T824uis.exe"}}));
}

TEST(FileSets, StagingGoesToTheDriverFolderTestedExceptTheCatalogueAndTheUninstaller) {
    for (int platformClass : kDriverClasses) {
        SCOPED_TRACE(platformClass);
        const StepList staging = DriverFileSetFor(platformClass, Processor32).staging;
        ASSERT_FALSE(staging.empty());
        for (std::size_t i = 0; i + 1 < staging.size(); ++i) {
            const FileStep& step = staging[i];
            EXPECT_EQ(step.action, StepAction::Copy);
            EXPECT_EQ(step.destination, Destination::ProgramDriver);
            const bool catalogue = Names_(step.files) == Names{"T8242if.cat"};
            EXPECT_EQ(step.mustExist, !catalogue);
        }
        // The uninstaller comes last, from the medium's root into the program folder itself.
        const FileStep& last = staging[staging.size() - 1];
        EXPECT_EQ(Names_(last.files), Names{"T824uis.exe"});
        EXPECT_STREQ(last.sourceFolder, "");
        EXPECT_EQ(last.destination, Destination::ProgramFolder);
        EXPECT_TRUE(last.mustExist);
    }
}

TEST(FileSets, PlacementOfWindows9x) {
    const DriverFileSet set = DriverFileSetFor(Platform9x, Processor9x);
    ASSERT_EQ(set.placement.size(), 4u);
    EXPECT_EQ(Names_(set.placement[0].files),
              (Names{"T8249UI.dll", "T8249RC.dll", "T8249DR.DRV", "T824916.dll", "T824932.dll",
                     "T8249LM.dll", "FWTQ8240.bin", "T8249UI.hlp", "T824xWM.dat", "USBMON.DLL",
                     "USBPRINT.SYS"}));
    EXPECT_EQ(set.placement[0].destination, Destination::DriverDirectory);
    EXPECT_EQ(Names_(set.placement[1].files), Names{"USBPRINT.SYS"});
    EXPECT_EQ(set.placement[1].destination, Destination::SystemDrivers);
    EXPECT_EQ(Names_(set.placement[2].files), (Names{"T8249if.inf", "T824USB.inf"}));
    EXPECT_EQ(set.placement[2].destination, Destination::WindowsInf);
    EXPECT_EQ(Names_(set.placement[3].files), Names{"T824XSM.exe"});
    EXPECT_EQ(set.placement[3].destination, Destination::SystemDirectory);
    for (const FileStep& step : set.placement) {
        EXPECT_STREQ(step.sourceFolder, "Driver\\98\\");
        EXPECT_TRUE(step.mustExist);
        EXPECT_EQ(step.action, StepAction::Copy);
    }
}

TEST(FileSets, PlacementOfTheNtFamily) {
    struct Case {
        int platformClass;
        const char* folder;
        std::size_t spoolerFiles;
        bool copyInfMatters;
    };
    for (const Case c : {Case{Platform2000, "Driver\\2KXP\\", 9, true},
                         Case{PlatformXp, "Driver\\2KXP\\", 9, true},
                         Case{PlatformVista, "Driver\\Vista\\", 10, false}}) {
        SCOPED_TRACE(c.platformClass);
        const StepList p32 = DriverFileSetFor(c.platformClass, Processor32).placement;
        const StepList p64 = DriverFileSetFor(c.platformClass, Processor64).placement;
        ASSERT_EQ(p32.size(), 5u);
        ASSERT_EQ(p64.size(), 5u);

        // The same batch into the driver directory and its "3" folder.
        EXPECT_EQ(p32[0].destination, Destination::DriverDirectory);
        EXPECT_EQ(p32[1].destination, Destination::DriverDirectory3);
        EXPECT_EQ(p32[0].files.size(), c.spoolerFiles);
        EXPECT_EQ(Names_(p32[0].files), Names_(p32[1].files));
        EXPECT_EQ(Names_(p32[0].files)[4],
                  c.platformClass == PlatformVista ? "T8242ui.chm" : "T8242UI.chm");
        if (c.platformClass == PlatformVista) {
            EXPECT_EQ(Names_(p32[0].files)[9], "T8242if.inf");
        }

        // 32-bit: three files into the system directory; 64-bit: SysFileCopier instead.
        EXPECT_EQ(p32[2].action, StepAction::Copy);
        EXPECT_EQ(p32[2].destination, Destination::SystemDirectory);
        EXPECT_EQ(Names_(p32[2].files), (Names{"FWTQ8240.bin", "T8242lm.dll", "T824XWM.dat"}));
        EXPECT_EQ(p64[2].action, StepAction::StartSysFileCopier);

        EXPECT_EQ(p32[3].action, StepAction::InstallInf);
        EXPECT_EQ(Names_(p32[3].files), Names{"T8242if.inf"});
        EXPECT_TRUE(p32[3].mustExist);
        EXPECT_EQ(p32[3].resultMatters, c.copyInfMatters);

        EXPECT_EQ(Names_(p32[4].files), Names{"T824XSM.exe"});
        EXPECT_EQ(p32[4].destination, Destination::SystemDirectory);

        // Every other step is the same on both, from the class's own folder only.
        for (std::size_t i = 0; i < p32.size(); ++i) {
            if (i == 2) continue;
            EXPECT_EQ(Flatten(p32[i]), Flatten(p64[i]));
            EXPECT_EQ(p32[i].resultMatters, p64[i].resultMatters);
            EXPECT_EQ(p32[i].mustExist, p64[i].mustExist);
            EXPECT_STREQ(p32[i].sourceFolder, c.folder);
        }
        EXPECT_STREQ(DriverFileSetFor(c.platformClass, Processor32).platformFolder, c.folder);
    }
}

TEST(FileSets, ClassesWithoutADriverSetStageOnlyTheUninstaller) {
    for (int platformClass : {int{PlatformNt4}, int{PlatformOther}, 0, 6}) {
        for (int processorClass : {Processor32, Processor64}) {
            SCOPED_TRACE(platformClass);
            const DriverFileSet set = DriverFileSetFor(platformClass, processorClass);
            EXPECT_EQ(Flatten(set.staging), Names{"T824uis.exe"});
            EXPECT_TRUE(set.placement.empty());
            EXPECT_TRUE(set.postRestart.files.empty());
            EXPECT_EQ(set.postRestart.destination, RestartDestination::None);
            EXPECT_EQ(set.platformFolder, nullptr);
            EXPECT_EQ(set.registration.driverEnvironment, nullptr);
            EXPECT_EQ(set.registration.driverPath, nullptr);
            EXPECT_TRUE(set.registration.printerDependentFiles.empty());
            // The language monitor is still named, as for the other NT classes.
            EXPECT_STREQ(set.registration.languageMonitorLibrary, "T8242LM.dll");
        }
    }
}

TEST(FileSets, RegistrationNames) {
    const RegistrationNames r9x = DriverFileSetFor(Platform9x, Processor9x).registration;
    EXPECT_STREQ(r9x.driverEnvironment, "Windows 4.0");
    EXPECT_STREQ(r9x.monitorEnvironment, "Windows 4.0");
    EXPECT_STREQ(r9x.driverSubFolder, "");
    EXPECT_STREQ(r9x.driverPath, "\\T8249dr.drv");
    EXPECT_STREQ(r9x.dataFile, "\\T8249dr.drv");
    EXPECT_STREQ(r9x.configFile, "\\T8249dr.drv");
    EXPECT_STREQ(r9x.helpFile, "\\T8249ui.hlp");
    EXPECT_EQ(Names_(r9x.printerDependentFiles),
              (Names{"T824916.dll", "T824932.dll", "T8249dr.drv", "T8249lm.dll", "T8249rc.dll",
                     "T8249ui.dll", "T8249ui.hlp", "T824xWM.dat", "T824xSM.EXE", "FWTQ8240.bin"}));
    EXPECT_STREQ(r9x.languageMonitorLibrary, "T8249LM.dll");
    EXPECT_STREQ(r9x.usbMonitorLibrary, "usbmon.dll");

    for (int platformClass : {Platform2000, PlatformXp, PlatformVista}) {
        for (int processorClass : {Processor32, Processor64}) {
            SCOPED_TRACE(platformClass * 10 + processorClass);
            const bool x64 = processorClass == Processor64;
            const RegistrationNames r =
                DriverFileSetFor(platformClass, processorClass).registration;
            EXPECT_STREQ(r.driverEnvironment, x64 ? "Windows x64" : "Windows NT x86");
            EXPECT_STREQ(r.monitorEnvironment, x64 ? "Windows x64" : "Windows NT X86");
            EXPECT_STREQ(r.driverSubFolder, "\\3");
            EXPECT_STREQ(r.driverPath, "\\T8242dr.dll");
            EXPECT_STREQ(r.dataFile, "\\T8242.dat");
            EXPECT_STREQ(r.configFile, "\\T8242pi.dll");
            EXPECT_STREQ(r.helpFile,
                         platformClass == PlatformVista ? "\\T8242ui.chm" : "\\T8242UI.chm");
            EXPECT_EQ(Names_(r.printerDependentFiles),
                      (Names{"T8242ui.dll", "T8242rc.dll", "T824xWM.dat", "T8242lm.dll"}));
            EXPECT_EQ(
                Names_(r.usbDependentFiles),
                (Names{"T8242ui.dll", "T8242rc.dll", "T824xWM.dat", "usbmon.dll", "T8242lm.dll"}));
            EXPECT_STREQ(r.languageMonitorLibrary, "T8242LM.dll");
            EXPECT_STREQ(r.usbMonitorLibrary, "usbmon.dll");
        }
    }
}

// Every name the registration gives the spooler must be a file the placement put into the
// driver folder the name is looked up in.
// Only 64-bit systems name an environment: there the caller's own may be another one.
TEST(FileSets, SpoolerEnvironmentIsNamedOnlyOn64BitSystems) {
    struct Case {
        int platformClass, processorClass;
        const char* environment;
    };
    for (const Case& c :
         {Case{Platform9x, Processor9x, nullptr}, Case{PlatformXp, Processor32, nullptr},
          Case{PlatformVista, Processor32, nullptr}, Case{Platform2000, Processor64, "Windows x64"},
          Case{PlatformXp, Processor64, "Windows x64"},
          Case{PlatformVista, Processor64, "Windows x64"}, Case{PlatformNt4, Processor64, nullptr},
          Case{PlatformOther, Processor64, nullptr}}) {
        SCOPED_TRACE(std::to_string(c.platformClass) + "/" + std::to_string(c.processorClass));
        const char* environment = SpoolerEnvironmentFor(c.platformClass, c.processorClass);
        EXPECT_EQ(environment == nullptr ? "(own)" : std::string(environment),
                  c.environment == nullptr ? "(own)" : std::string(c.environment));
    }
}

TEST(FileSets, RegisteredDriverFilesAreAmongThePlacedOnes) {
    for (int platformClass : kDriverClasses) {
        SCOPED_TRACE(platformClass);
        const DriverFileSet set = DriverFileSetFor(platformClass, Processor32);
        const FileStep* spooler =
            StepTo(set.placement, platformClass == Platform9x ? Destination::DriverDirectory
                                                              : Destination::DriverDirectory3);
        ASSERT_NE(spooler, nullptr);
        std::set<std::string> placed;
        for (const char* n : spooler->files) placed.insert(Lower(n));
        const RegistrationNames& r = set.registration;
        for (const char* path : {r.driverPath, r.dataFile, r.configFile, r.helpFile}) {
            ASSERT_EQ(path[0], '\\');
            EXPECT_EQ(placed.count(Lower(path + 1)), 1u) << path;
        }
        for (const char* n : r.printerDependentFiles) {
            // The 9x monitor program is registered but lies in the system folder.
            if (Lower(n) == "t824xsm.exe") continue;
            EXPECT_EQ(placed.count(Lower(n)), 1u) << n;
        }
        for (const char* n : r.usbDependentFiles) EXPECT_EQ(placed.count(Lower(n)), 1u) << n;
    }
}

TEST(FileSets, PostRestartPlacement) {
    const PostRestartSet r9x = DriverFileSetFor(Platform9x, Processor9x).postRestart;
    EXPECT_STREQ(r9x.sourceFolder, "");
    EXPECT_EQ(r9x.destination, RestartDestination::DriverDirectory);
    EXPECT_EQ(Names_(r9x.files), (Names{"T8249LM.dll", "T824916.dll", "T824932.dll", "T8249DR.drv",
                                        "T8249LM.dll", "T8249rc.dll", "T8249ui.dll"}));
    const Names four = {"T8242dr.dll", "T8242ui.dll", "T8242pi.dll", "T8242rc.dll"};
    for (int platformClass : {Platform2000, PlatformXp, PlatformVista}) {
        SCOPED_TRACE(platformClass);
        const PostRestartSet r32 = DriverFileSetFor(platformClass, Processor32).postRestart;
        const PostRestartSet r64 = DriverFileSetFor(platformClass, Processor64).postRestart;
        // 2000 and XP never touch the Vista folder, Vista never the 2KXP one.
        EXPECT_STREQ(r32.sourceFolder,
                     platformClass == PlatformVista ? "Driver\\Vista\\" : "Driver\\2KXP\\");
        EXPECT_EQ(r32.destination, RestartDestination::SpoolerVersion3);
        EXPECT_STREQ(r32.spoolerTail, "\\spool\\drivers\\w32x86\\3\\");
        EXPECT_STREQ(r64.spoolerTail, "\\spool\\drivers\\x64\\3\\");
        EXPECT_EQ(Names_(r32.files), four);
        EXPECT_EQ(Names_(r64.files), four);
    }
}

// A batch holds at most 32 names of at most 15 characters; names are bare file names.
TEST(FileSets, BatchesKeepTheirLimits) {
    for (int platformClass : kDriverClasses) {
        for (int processorClass : {Processor9x, Processor32, Processor64}) {
            const DriverFileSet set = DriverFileSetFor(platformClass, processorClass);
            std::vector<FileList> lists = {set.postRestart.files,
                                           set.registration.printerDependentFiles,
                                           set.registration.usbDependentFiles};
            for (const StepList& steps : {set.staging, set.placement}) {
                for (const FileStep& step : steps) lists.push_back(step.files);
            }
            for (const FileList& list : lists) {
                EXPECT_LE(list.size(), 32u);
                for (const char* name : list) {
                    EXPECT_GT(std::strlen(name), 0u);
                    EXPECT_LE(std::strlen(name), 15u) << name;
                    EXPECT_EQ(std::strpbrk(name, "\\/:"), nullptr) << name;
                }
            }
        }
    }
}

// SysFileCopier.exe copies, on 64-bit systems, what the 32-bit placement copies into the
// system directory, from the same platform folder.
TEST(FileSets, SysFileCopierPlacesWhatThe32BitPlacementWould) {
    Names copierFiles(std::begin(sys_file_copier::kFiles), std::end(sys_file_copier::kFiles));
    for (int platformClass : {PlatformXp, PlatformVista}) {
        SCOPED_TRACE(platformClass);
        const DriverFileSet set = DriverFileSetFor(platformClass, Processor32);
        EXPECT_EQ(Names_(set.placement[2].files), copierFiles);
        // The 64-bit step names them too: the installer looks for them after the copier.
        EXPECT_EQ(Names_(DriverFileSetFor(platformClass, Processor64).placement[2].files),
                  copierFiles);
        // XP and 2003 x64 report 5.2, Vista 6.0.
        const int major = platformClass == PlatformVista ? 6 : 5;
        EXPECT_STREQ(sys_file_copier::SourceFolderFor(major), set.placement[2].sourceFolder);
    }
    EXPECT_STREQ(sys_file_copier::SourceFolderFor(10), "Driver\\Vista\\");
}

// The sample medium: the placeholder list plus what the build puts there itself.
std::set<std::string> MediumFiles() {
    std::string root = __FILE__;
    root.erase(root.rfind("tests/unit/"));
    std::ifstream list(root + "medium/placeholder-files.txt");
    EXPECT_TRUE(list.good()) << "no placeholder list under " << root;
    std::set<std::string> files = {
        "tq82ins.exe",
        "setupnt.dll",
        "setup9x.dll",
        "sysfilecopier.exe",
        "t824uis.exe",
        "t8249lm.dll",
        "driver\\98\\t8249lm.dll",
        "driver\\2kxp\\t8242lm.dll",
        "driver\\vista\\t8242lm.dll",
    };
    std::string line;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::replace(line.begin(), line.end(), '/', '\\');
        const std::string entry = Lower(line);
        // No two entries that only differ in letter case: the medium's Linux folder would
        // hold both, and Windows would see one of them.
        const std::string path = entry.rfind(".\\", 0) == 0 ? entry.substr(2) : "driver\\" + entry;
        EXPECT_TRUE(files.insert(path).second) << "twice on the medium: " << line;
    }
    return files;
}

TEST(FileSets, TheSampleMediumHoldsEveryFileTheTablesName) {
    const std::set<std::string> medium = MediumFiles();
    auto expectOnMedium = [&](const std::string& path) {
        EXPECT_EQ(medium.count(Lower(path)), 1u) << path << " is not on the medium";
    };
    for (int platformClass : kDriverClasses) {
        for (int processorClass : {Processor9x, Processor32, Processor64}) {
            const DriverFileSet set = DriverFileSetFor(platformClass, processorClass);
            for (const StepList& steps : {set.staging, set.placement}) {
                for (const FileStep& step : steps) {
                    // The copier's files are names in the system folder, not on the medium.
                    if (step.action == StepAction::StartSysFileCopier) {
                        expectOnMedium(std::string(step.sourceFolder) + kSysFileCopier);
                        continue;
                    }
                    for (const std::string& path : Flatten(step)) expectOnMedium(path);
                }
            }
            for (const char* name : set.postRestart.files) {
                expectOnMedium(std::string(set.postRestart.sourceFolder) + name);
            }
        }
    }
    for (const char* name : sys_file_copier::kFiles) {
        expectOnMedium(std::string("Driver\\2KXP\\") + name);
        expectOnMedium(std::string("Driver\\Vista\\") + name);
    }
}

}  // namespace
}  // namespace tq
