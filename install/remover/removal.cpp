#include "install/remover/removal.h"

#include <cstdint>
#include <memory>

#include "install/engine/choices.h"
#include "install/engine/file_sets.h"
#include "install/engine/registration.h"
#include "install/engine/shortcuts.h"
#include "install/model.h"
#include "install/network/tcpip_port.h"
#include "install/res/resource.h"
#include "install/spooler/spooler_queries.h"
#include "install/system/folders.h"
#include "install/system/platform_class.h"
#include "install/system/registry_records.h"
#include "platform/text.h"

namespace tq {

namespace {


// The environments this system keeps drivers for: its own, and on 64-bit Windows the x86 one
// beside x64 (which a 32-bit remover there sees only when it names it). Others are not asked:
// a question about an environment the system lacks is not free of effects everywhere (Wine
// makes the environment's registry keys).
std::vector<const char*> DriverEnvironmentsOf(int platformClass, int processorClass) {
    if (platformClass == Platform9x) return {"Windows 4.0"};
    if (processorClass == Processor64) return {"Windows NT x86", "Windows x64"};
    return {"Windows NT x86"};
}

// DPD_DELETE_UNUSED_FILES: the spooler deletes the driver's files no other driver uses.
constexpr std::uint32_t kDeleteUnusedFiles = 0x1;
constexpr std::uint32_t kInvalidParameter = 87;  // a spooler that takes no delete flags
constexpr std::uint32_t kProcNotFound = 127;     // no DeletePrinterDriverExA (9x, NT 4.0)
constexpr std::uint32_t kCallNotImplemented = 120;  // a folder deleted at Windows 9x's restart
constexpr std::uint32_t kUnknownMonitor = 3000;  // ERROR_UNKNOWN_PRINT_MONITOR: gone already

// DELETE_PORT_DATA_1 of the Standard TCP/IP Port monitor: the port name (64 UTF-16 units), the
// server name (49 units, empty: this computer), then version 1 on the next 4-byte boundary.
constexpr std::size_t kDeletePortNameUnits = 64;
constexpr std::size_t kDeletePortVersion = 228;
constexpr std::size_t kDeletePortRecordSize = 236;

constexpr int kLinkTexts[] = {IDS_LINK_STATUS_MONITOR, IDS_LINK_HELP, IDS_LINK_UNINSTALL};

std::string ModelName() {
    return std::string(kModelDriverName);
}

bool IsModelQueue(const PrinterRecord& r, std::string_view name) {
    return r.printerName && r.driverName && MbsEqualNoCase(*r.printerName, name) &&
           MbsEqualNoCase(*r.driverName, kModelDriverName);
}

std::string Unquoted(std::string_view data) {
    if (data.size() >= 2 && data.front() == '"' && data.back() == '"') {
        data = data.substr(1, data.size() - 2);
    }
    return std::string(data);
}

// `path` lies inside `folder` (a path without a trailing backslash).
bool IsInside(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() + 1 && path[folder.size()] == '\\' &&
           MbsEqualNoCase(path.substr(0, folder.size()), folder);
}

// The folder of `path` without its trailing backslash, cut by the system's code page.
std::string ParentOf(SystemPaths& paths, std::string_view path) {
    std::string parent =
        SourceFolderOf(path, [&paths](unsigned char c) { return paths.IsLeadByte(c); });
    if (!parent.empty()) parent.pop_back();
    return parent;
}

std::string ReadString(Registry& registry, RegistryRoot root, const std::string& key,
                       const std::string& name) {
    KeyOpening opened = registry.OpenKey(root, key, kKeyQueryValue);
    if (!opened.key) return {};
    char data[RegistryValueEntry::kDataSize] = {};
    if (opened.key->QueryString(name, data, sizeof(data)) != kRegOk) return {};
    return std::string(FieldText(data));
}

std::vector<std::uint8_t> DeletePortData(std::string_view portName) {
    std::vector<std::uint8_t> data(kDeletePortRecordSize, 0);
    // Port names are dotted addresses: ASCII, one unit each.
    for (std::size_t i = 0; i < portName.size() && i + 1 < kDeletePortNameUnits; ++i) {
        data[2 * i] = static_cast<std::uint8_t>(portName[i]);
    }
    data[kDeletePortVersion] = 1;
    return data;
}

class Removal {
  public:
    Removal(RemoverServices& s, const RemovalPlan& plan, RunLog& log)
        : s_(s), plan_(plan), log_(log) {}

    RemovalOutcome Run() {
        const bool queueGone = DeleteQueue();
        if (queueGone) {
            DeletePort();
            if (!plan_.driverInUse) {
                DeleteDrivers();
                DeleteMonitor();
                DeletePlacedFiles();
            } else {
                log_.Line("driver " + ModelName() + " kept: another queue uses it");
            }
        } else {
            log_.Line("port, driver and monitor kept: the queue remains");
        }
        DeleteProgramGroups();
        DeleteRegistryRecords();
        DeleteProgramFolder();
        return outcome_;
    }

  private:
    void Failed(bool ok) {
        if (!ok) outcome_.failed = true;
    }

    bool DeleteQueue() {
        if (!plan_.queue) return true;
        std::unique_ptr<OpenedQueue> queue = s_.spooler.OpenQueue(plan_.printerName);
        const bool ok = queue && queue->Delete();
        Failed(log_.Step("delete queue " + plan_.printerName, ok));
        return ok;
    }

    void DeletePort() {
        if (plan_.port.empty()) return;
        const std::string step = "delete port " + plan_.port;
        std::unique_ptr<PortMonitorChannel> channel = s_.ports.OpenChannel(kTcpIpMonitorChannel);
        if (!channel) {
            Failed(log_.Step(step, false));
            return;
        }
        const std::vector<std::uint8_t> data = DeletePortData(plan_.port);
        const std::uint32_t status =
            channel->SendForStatus(u"DeletePort", data.data(), data.size());
        if (status == 0) {
            log_.Step(step, true);
        } else {
            log_.Failure(step, status);
            outcome_.failed = true;
        }
    }

    void DeleteDrivers() {
        for (const char* environment : plan_.driverEnvironments) {
            const std::string step = "delete driver " + ModelName() + " (" + environment + ")";
            SpoolerResult r = s_.spooler.RemoveDriver(environment, ModelName(), kDeleteUnusedFiles);
            if (!r.ok && (r.error == kInvalidParameter || r.error == kProcNotFound)) {
                // A spooler that cannot delete files with the driver: the files go below.
                log_.Line(step + ": the spooler takes no delete flags (error " +
                          std::to_string(r.error) + "), deleted without them");
                r = s_.spooler.RemoveDriver(environment, ModelName(), 0);
            }
            if (r.ok) {
                log_.Step(step, true);
            } else {
                log_.Failure(step, r.error);
                outcome_.failed = true;
            }
        }
    }

    void DeleteMonitor() {
        if (plan_.monitor.empty()) return;
        const SpoolerResult r =
            s_.spooler.RemoveMonitor(plan_.monitorEnvironment.c_str(), plan_.monitor);
        const std::string step = "delete monitor " + plan_.monitor;
        if (r.ok || r.error == kUnknownMonitor) {
            log_.Step(step, true);
        } else {
            log_.Failure(step, r.error);
            outcome_.failed = true;
        }
    }

    // One file: deleted now, or at the next restart when something holds it (then counted).
    // Returns whether it is gone now.
    bool RemoveFile(const std::string& path) {
        if (!s_.files.FileExists(path)) return true;
        s_.files.SetNormalAttributes(path);
        if (s_.files.Delete(path)) return true;
        const std::uint32_t error = s_.files.DeleteAtRestart(path);
        if (error == 0) {
            log_.Line("delete " + path + ": in use, deleted at the next restart");
            ++outcome_.atRestart;
        } else {
            log_.Failure("delete " + path, error);
            outcome_.failed = true;
        }
        return false;
    }

    std::string FolderFor(Destination destination) {
        const std::string windows = s_.paths.WindowsDirectory();
        const std::string drivers = s_.paths.PrinterDriverDirectory(
            SpoolerEnvironmentFor(s_.platformClass, s_.processorClass));
        switch (destination) {
            case Destination::DriverDirectory:
                return drivers.empty() ? std::string() : drivers + "\\";
            case Destination::DriverDirectory3:
                return drivers.empty() ? std::string() : drivers + "\\3\\";
            case Destination::SystemDirectory: {
                const std::string system = s_.paths.SystemDirectory();
                return system.empty() ? std::string() : system + "\\";
            }
            case Destination::WindowsInf:
                return windows.empty() ? std::string() : windows + "\\Inf\\";
            case Destination::SystemDrivers:
                return windows.empty() ? std::string() : windows + "\\System32\\Drivers\\";
            default:
                return {};
        }
    }

    // The real system folder, where the 64-bit helper put its files: for a 32-bit program on
    // 64-bit Windows, system32 is redirected and "Sysnative" names the real one.
    std::string RealSystemFolder() {
        if (s_.paths.Wow64SystemDirectory().empty()) return FolderFor(Destination::SystemDirectory);
        const std::string windows = s_.paths.WindowsDirectory();
        return windows.empty() ? std::string() : windows + "\\Sysnative\\";
    }

    void DeletePlacedFiles() {
        const DriverFileSet set = DriverFileSetFor(s_.platformClass, s_.processorClass);
        for (const FileStep& step : set.placement) {
            std::string folder;
            if (step.action == StepAction::Copy) folder = FolderFor(step.destination);
            if (step.action == StepAction::StartSysFileCopier) folder = RealSystemFolder();
            // The setup information file went to the system's store under a name the system
            // chose; it stays, as Windows keeps the driver store's copies.
            if (folder.empty()) continue;
            int deleted = 0;
            for (const char* name : step.files) {
                const std::string path = folder + name;
                if (!s_.files.FileExists(path)) continue;
                if (RemoveFile(path)) ++deleted;
            }
            if (deleted > 0)
                log_.Line("delete " + std::to_string(deleted) + " files in " + folder + ": ok");
        }
    }

    void DeleteProgramGroups() {
        const std::pair<RegistryRoot, const char*> places[] = {
            {RegistryRoot::CurrentUser, "Programs"},
            {RegistryRoot::LocalMachine, "Common Programs"},
        };
        for (const auto& [root, value] : places) {
            const std::string programs = ReadString(s_.registry, root, kShellFoldersKey, value);
            if (programs.empty()) continue;
            const std::string group = programs + "\\" + plan_.printerName;
            if (!s_.files.FileExists(group)) continue;
            bool ok = true;
            for (const int id : kLinkTexts) {
                const std::string name = s_.loadText ? s_.loadText(id) : std::string();
                if (name.empty()) continue;
                const std::string link = group + "\\" + name + ".lnk";
                if (s_.files.FileExists(link)) {
                    s_.files.SetNormalAttributes(link);
                    ok = s_.files.Delete(link) && ok;
                }
            }
            std::vector<FileSystem::FolderItem> rest;
            if (ok && s_.files.ListFolder(group, rest) && !rest.empty()) {
                log_.Line("program group " + group + " kept: it holds files of its own");
                continue;
            }
            Failed(log_.Step("delete program group " + group, ok && s_.files.RemoveFolder(group)));
        }
    }

    void DeleteRegistryRecords() {
        const long entry = s_.registry.DeleteKey(
            RegistryRoot::LocalMachine, std::string(kUninstallKey) + "\\" + plan_.printerName);
        if (entry == kRegOk) {
            log_.Step("delete uninstall entry " + plan_.printerName, true);
        } else if (entry != kRegFileNotFound) {
            log_.Failure("delete uninstall entry " + plan_.printerName,
                         static_cast<std::uint32_t>(entry));
            outcome_.failed = true;
        }
        Failed(log_.Step("delete Run value " + plan_.printerName + "UnInstall",
                         DeleteUninstallerRunValue(s_.registry, plan_.printerName) == 1));

        // The resume marker is the model's, not one printer's: it goes only when it names an
        // installer copy inside this program folder, which is about to go.
        const std::string marker = ModelName() + "Install";
        const std::pair<const char*, std::string> markers[] = {
            {kRunKey, marker},
            {kRunOnceKey, "!" + marker},
        };
        for (const auto& [key, name] : markers) {
            const std::string program =
                Unquoted(ReadString(s_.registry, RegistryRoot::LocalMachine, key, name));
            if (!IsInside(program, plan_.programFolder)) continue;
            Failed(log_.Step("delete resume marker " + program,
                             UpdateResumeMarkerFor(s_.registry, program, ResumeMarkerDelete,
                                                   s_.platformClass) == 1));
            break;
        }
    }

    // Deletes what `folder` holds, then the folder; what cannot go now goes at the next
    // restart, its folder after it. True when the folder is gone now.
    bool DeleteTree(const std::string& folder) {
        std::vector<FileSystem::FolderItem> items;
        if (!s_.files.ListFolder(folder, items)) return !s_.files.FileExists(folder);
        bool empty = true;
        for (const FileSystem::FolderItem& item : items) {
            const std::string path = folder + "\\" + item.name;
            if (item.folder && item.link) {
                // A junction: the link goes, never what it leads to.
                empty = s_.files.RemoveFolder(path) && empty;
            } else if (item.folder) {
                empty = DeleteTree(path) && empty;
            } else if (MbsEqualNoCase(path, plan_.program)) {
                ScheduleOwn(path);
                empty = false;
            } else {
                empty = RemoveFile(path) && empty;
            }
        }
        if (empty && s_.files.RemoveFolder(folder)) return true;
        ScheduleOwn(folder);
        return false;
    }

    void ScheduleOwn(const std::string& path) {
        const std::uint32_t error = s_.files.DeleteAtRestart(path);
        if (error == 0) {
            log_.Line("delete " + path + ": at the next restart");
        } else if (error == kCallNotImplemented) {
            // Windows 9x deletes files when it starts, never folders: the folder stays, empty.
            log_.Line("folder " + path + " stays, empty after the restart (Windows 9x deletes "
                      "no folder then)");
        } else {
            log_.Failure("delete " + path + " at the next restart", error);
            outcome_.failed = true;
        }
    }

    void DeleteProgramFolder() {
        if (plan_.programFolder.empty() || !s_.files.FileExists(plan_.programFolder)) return;
        const bool gone = DeleteTree(plan_.programFolder);
        log_.Line("program folder " + plan_.programFolder +
                  (gone ? " deleted" : " deleted at the next restart"));
        // Program Files\Kestra goes with the last installation in it.
        const std::string kestra = ParentOf(s_.paths, plan_.programFolder);
        std::vector<FileSystem::FolderItem> rest;
        if (kestra.empty() || !s_.files.ListFolder(kestra, rest)) return;
        const std::string ours = plan_.programFolder.substr(kestra.size() + 1);
        if (rest.empty()) {
            s_.files.RemoveFolder(kestra);
        } else if (!gone && rest.size() == 1 && MbsEqualNoCase(rest[0].name, ours)) {
            // A folder that is not empty by then stays.
            if (s_.files.DeleteAtRestart(kestra) == 0) {
                log_.Line("delete " + kestra + ": at the next restart, when empty");
            }
        }
    }

    RemoverServices& s_;
    const RemovalPlan& plan_;
    RunLog& log_;
    RemovalOutcome outcome_;
};

}  // namespace

FoundInstallation FindInstallation(RemoverServices& s) {
    FoundInstallation found;
    found.program = s.paths.ModuleFileName();
    const std::string folder = ParentOf(s.paths, found.program);
    const std::string parent = ParentOf(s.paths, folder);
    const std::string name = parent.empty() ? std::string() : folder.substr(parent.size() + 1);
    const std::string expected = ProgramFolderOf(s.paths.WindowsDirectory(), name);
    if (name.empty() || expected.empty() || !MbsEqualNoCase(folder, expected)) {
        found.why = folder + " is no printer's program folder";
        return found;
    }

    const std::string uninstallString =
        ReadString(s.registry, RegistryRoot::LocalMachine, std::string(kUninstallKey) + "\\" + name,
                   "UnInstallString");
    bool installed =
        !uninstallString.empty() && MbsEqualNoCase(Unquoted(uninstallString), found.program);
    if (!installed) {
        std::vector<PrinterRecord> printers;
        s.spooler.ListPrinters(printers);
        for (const PrinterRecord& r : printers) installed = installed || IsModelQueue(r, name);
    }
    if (!installed) {
        found.why =
            "no uninstall entry names this program and no queue " + name + " uses " + ModelName();
        return found;
    }
    found.found = true;
    found.printerName = name;
    found.programFolder = folder;
    return found;
}

RemovalPlan PlanRemoval(RemoverServices& s, const FoundInstallation& found) {
    RemovalPlan plan;
    plan.printerName = found.printerName;
    plan.programFolder = found.programFolder;
    plan.program = found.program;

    std::vector<PrinterRecord> printers;
    s.spooler.ListPrinters(printers);  // no queue at all is a failed listing too
    std::string port;
    for (const PrinterRecord& r : printers) {
        if (IsModelQueue(r, plan.printerName)) {
            plan.queue = true;
            plan.jobs = r.jobs;
            port = r.portName.value_or("");
        } else if (r.driverName && MbsEqualNoCase(*r.driverName, kModelDriverName)) {
            plan.driverInUse = true;
        }
    }
    // Only a port named by an address is the installer's Standard TCP/IP port; LPT1:, USB
    // ports and the shared printers' ports belong to the system.
    std::uint32_t address = 0;
    if (plan.queue && ParseDottedAddress(port, address)) {
        bool shared = false;
        for (const PrinterRecord& r : printers) {
            shared = shared || (r.portName && MbsEqualNoCase(*r.portName, port) &&
                                !IsModelQueue(r, plan.printerName));
        }
        if (!shared) plan.port = port;
    }
    if (plan.driverInUse) return plan;

    for (const char* environment : DriverEnvironmentsOf(s.platformClass, s.processorClass)) {
        if (FindPrinterDriver(s.spooler, environment, kModelDriverName)) {
            plan.driverEnvironments.push_back(environment);
        }
    }
    RegistrationRecords records;
    if (RegistrationRecordsFor(s.platformClass, s.processorClass, s.paths, records) &&
        FindMonitor(s.spooler, records.monitor.name)) {
        plan.monitor = records.monitor.name;
        plan.monitorEnvironment = records.monitor.environment;
    }
    return plan;
}

RemovalOutcome RemoveInstallation(RemoverServices& s, const RemovalPlan& plan, RunLog& log) {
    return Removal(s, plan, log).Run();
}

}  // namespace tq
