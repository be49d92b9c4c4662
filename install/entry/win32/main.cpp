// Process entry of TQ82Ins.exe: wires the Win32 implementations to both front ends, the wizard
// and the unattended run, and to the one installation run they drive.
#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "install/app/connection_type_page.h"
#include "install/app/printer_name_page.h"
#include "install/app/progress_page.h"
#include "install/app/shared_printer_page.h"
#include "install/app/sharing_page.h"
#include "install/app/startup.h"
#include "install/app/welcome_page.h"
#include "install/app/win32/dialog_host.h"
#include "install/engine/file_sets.h"
#include "install/engine/install_steps.h"
#include "install/engine/plug_and_play.h"
#include "install/engine/restart_cycle.h"
#include "install/engine/win32/progress_window_win32.h"
#include "install/engine/wizard_settings.h"
#include "install/entry/program.h"
#include "install/network/tcpip_port_page.h"
#include "install/network/win32/network_pages_win32.h"
#include "install/res/resource.h"
#include "install/spooler/printer_settings.h"
#include "install/system/platform_class.h"
#include "install/unattended/command_line.h"
#include "install/unattended/unattended_run.h"
#include "platform/account.h"
#include "platform/dll_search.h"
#include "platform/instance.h"
#include "platform/system_info.h"
#include "platform/win32/device_install_win32.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/log_file_win32.h"
#include "platform/win32/network_adapters_win32.h"
#include "platform/win32/network_connections_win32.h"
#include "platform/win32/port_monitor_win32.h"
#include "platform/win32/power_win32.h"
#include "platform/win32/printer_browser_win32.h"
#include "platform/win32/process_list_win32.h"
#include "platform/win32/processes_win32.h"
#include "platform/win32/profile_strings_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/services_win32.h"
#include "platform/win32/setup_libraries_win32.h"
#include "platform/win32/shell_links_win32.h"
#include "platform/win32/spooler_win32.h"
#include "platform/win32/system_names_win32.h"
#include "platform/win32/system_paths_win32.h"
#include "platform/win32/threads_win32.h"

namespace {

class InstallerPages : public tq::PageFactory {
  public:
    InstallerPages(tq::WizardSettings& settings, tq::Spooler& spooler, tq::SystemNames& names,
                   tq::PrinterSettings& printers, tq::Ui& ui, tq::ProgressServices& progress,
                   tq::TcpIpPortServices& network, tq::NetworkConnections& connections,
                   tq::PrinterBrowser& browser,
                   std::function<tq::RestartRequest()> restartForUpdate)
        : settings_(settings),
          spooler_(spooler),
          driverEnvironment_(
              tq::SpoolerEnvironmentFor(tq::GetPlatformClass(tq::RealSystemInfo()),
                                        tq::GetProcessorClass(tq::RealSystemInfo()))),
          names_(names),
          printers_(printers),
          ui_(ui),
          progress_(progress),
          network_(network),
          connections_(connections),
          browser_(browser),
          restartForUpdate_(std::move(restartForUpdate)) {}

    std::unique_ptr<tq::Page> Create(tq::PageId id) override {
        switch (id) {
            case tq::PageId::Welcome:
                return std::make_unique<tq::WelcomePage>(settings_, spooler_, driverEnvironment_,
                                                         ui_, restartForUpdate_);
            case tq::PageId::PrinterName:
                return std::make_unique<tq::PrinterNamePage>(settings_, spooler_,
                                                             driverEnvironment_, printers_, ui_);
            case tq::PageId::Sharing:
                return std::make_unique<tq::SharingPage>(settings_, spooler_, names_, ui_);
            case tq::PageId::ConnectionType:
                return std::make_unique<tq::ConnectionTypePage>(
                    settings_, ui_, tq::GetPlatformClass(tq::RealSystemInfo()));
            case tq::PageId::TcpIpPort:
                return std::make_unique<tq::TcpIpPortPage>(settings_, ui_, network_);
            case tq::PageId::Progress:
                return std::make_unique<tq::ProgressPage>(progress_);
            case tq::PageId::SharedPrinter:
                return std::make_unique<tq::SharedPrinterPage>(settings_, ui_, spooler_,
                                                               connections_, browser_);
            default:
                return nullptr;
        }
    }

  private:
    tq::WizardSettings& settings_;
    tq::Spooler& spooler_;
    const char* driverEnvironment_;
    tq::SystemNames& names_;
    tq::PrinterSettings& printers_;
    tq::Ui& ui_;
    tq::ProgressServices& progress_;
    tq::TcpIpPortServices& network_;
    tq::NetworkConnections& connections_;
    tq::PrinterBrowser& browser_;
    std::function<tq::RestartRequest()> restartForUpdate_;
};

// Everything a run shares lives until the process ends: the installation thread may still run
// when the wizard returns (a cancel answered 是), and the process then ends it with it. The queue
// watcher never outlives the run's USB wait, which stops it and waits for it.
struct Installer {
    explicit Installer(HINSTANCE instance)
        : instance(instance), ui(instance), host(instance, IDI_PROGRAM) {}

    HINSTANCE instance;
    tq::WizardSettings settings;
    tq::Win32Ui ui;
    tq::Win32PageHost host;
    tq::Win32Spooler spooler;
    tq::Win32SetupLibraries libraries;
    tq::Win32SystemPaths paths;
    tq::Win32FileSystem files;
    tq::Win32Processes processes;
    tq::Win32Registry registry;
    tq::Win32ShellLinks links;
    tq::PrinterSettings printers{spooler, libraries, tq::RealSystemInfo()};
    tq::ProgressEvents events;
    tq::Win32InstallSignals signals{events};
    std::atomic<int> pnpSucceeded{0};
    std::unique_ptr<tq::Win32ProgressWindow> progressWindow;
    tq::Win32DeviceInstaller devices;
    tq::Win32ProgramRunner programs;
    tq::Win32ProfileReader profiles;
    tq::Win32ProfileStrings profileStrings;
    tq::Win32PortMonitor portMonitor;
    tq::Win32NetworkAdapters adapters;
    tq::Win32NetworkConnections connections;
    tq::Win32PrinterBrowser printerBrowser;
    tq::Win32Services services;
    tq::Win32ProcessList processList;
    tq::Win32Power power;
    tq::RestartCycleServices cycle{registry,
                                   paths,
                                   files,
                                   services,
                                   processList,
                                   power,
                                   tq::GetPlatformClass(tq::RealSystemInfo()),
                                   tq::GetProcessorClass(tq::RealSystemInfo()),
                                   [](unsigned ms) { Sleep(ms); }};
    tq::Win32LogFile logFile;
    tq::Win32SystemErrors systemErrors;
    tq::InstallLog log{logFile, systemErrors};
    tq::Win32NetworkPages network{
        {ui, host, portMonitor, paths, files, profileStrings, adapters, log}};
    // The engine's warnings: message boxes in the wizard, log lines in an unattended run.
    tq::MessageBoxWarnings boxWarnings{ui};
    tq::LoggedWarnings logWarnings{log};
    struct RunWarnings : tq::Warnings {
        tq::Warnings* target = nullptr;
        void Warn(const std::string& text, const std::string& caption) override {
            if (target != nullptr) target->Warn(text, caption);
        }
    } warnings;
    tq::PlugAndPlayServices plugAndPlay{spooler, libraries,        paths,   devices,
                                        programs, profiles,        warnings};
    tq::EngineSteps steps{
        settings,
        tq::CopyServices{paths, files, processes, libraries},
        tq::RegistrationServices{spooler, printers, libraries, paths, tq::RealSystemInfo()},
        registry,
        paths,
        links,
        [this](tq::InstallJob& job) {
            return tq::InstallPlugAndPlayDriver(job, settings, plugAndPlay, pnpSucceeded);
        },
        [](const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }};
    tq::Win32SystemNames names;
    // The USB prompt showing now, where the queue watcher's report goes; none in an unattended
    // run, or before the prompt opened (its Next then stays disabled: the page ends it at once).
    std::atomic<HWND> promptWindow{nullptr};

    HWND WindowOf(tq::Page& page) {
        const auto it = host.open.find(&page);
        return it != host.open.end() ? it->second : nullptr;
    }

    bool StartInstallation(tq::Page& page) {
        if (!events.Made()) return false;
        progressWindow =
            std::make_unique<tq::Win32ProgressWindow>(WindowOf(page), events, instance);
        auto job = std::make_shared<tq::InstallJob>();
        job->progress = progressWindow.get();
        job->log = &log;
        job->platformClass = tq::GetPlatformClass(tq::RealSystemInfo());
        job->processorClass = tq::GetProcessorClass(tq::RealSystemInfo());
        const int connectionType = settings.connectionType;
        return tq::StartThread([this, job, connectionType] {
            tq::InstallationRun run{connectionType, tq::kWaitForever, steps, signals,
                                    pnpSucceeded, [this](const std::atomic<bool>& stop) {
                                        return StartWatcher(stop);
                                    }};
            tq::RunInstallation(*job, run);
        });
    }

    // The watcher reports on the pnp event, and to the USB prompt when one shows.
    // None without the pnp event: its report could never be waited for, and a wait on no event
    // would read as a printer that never came.
    std::unique_ptr<tq::WorkThread> StartWatcher(const std::atomic<bool>& stop) {
        if (!events.Made()) return nullptr;
        return tq::StartWorkThread([this, &stop] {
            tq::QueueWatcher watcher{spooler,
                                     printers,
                                     tq::RealSystemInfo(),
                                     settings,
                                     pnpSucceeded,
                                     signals,
                                     [this] {
                                         if (HWND prompt = promptWindow.load()) {
                                             PostMessageA(prompt, tq::kQueueReadyMessage, 0, 0);
                                         }
                                     },
                                     [] { Sleep(10); },
                                     stop};
            watcher.Run();
        });
    }

    tq::ProgressServices progress{
        settings,
        ui,
        signals,
        pnpSucceeded,
        host,
        registry,
        paths,
        processes,
        [this](tq::Page& page) { return StartInstallation(page); },
        [this](tq::Page* prompt) {
            promptWindow.store(prompt != nullptr ? WindowOf(*prompt) : nullptr);
        },
        [] { return std::string(tq::currentFileName); }};
};

// Asked once per run, by the wizard's start-up or by the unattended run.
bool SecondInstance() {
    return tq::IsSecondInstance(tq::kInstanceMutexName, tq::CreateInstanceMutex);
}

// The control classes the pages use. InitCommonControlsEx comes with comctl32 4.70 and is
// looked up at run time: Windows 95 and NT 4.0 as first shipped have only InitCommonControls,
// which registers the list view and progress bar (no IP address control there).
void InitControls() {
    InitCommonControls();
    HMODULE comctl = GetModuleHandleA("comctl32.dll");
    if (comctl == nullptr) return;
    using InitExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto initEx = reinterpret_cast<InitExFn>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx")));
    if (initEx == nullptr) return;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                        ICC_INTERNET_CLASSES |
                                                        ICC_STANDARD_CLASSES};
    initEx(&controls);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    tq::NarrowDllSearchPath();

    InitControls();

    // Never destroyed: threads of the run may still use it when the process ends.
    auto* installer = new Installer(instance);
    InstallerPages pages(installer->settings, installer->spooler, installer->names,
                         installer->printers,
                         installer->ui, installer->progress, installer->network,
                         installer->connections, installer->printerBrowser,
                         [installer] { return tq::RestartForUpdate(installer->cycle); });
    tq::StartupServices services{installer->ui, pages, installer->host, SecondInstance,
                                 [installer] { return tq::ResumeAfterRestart(installer->cycle); }};

    const tq::CommandLine line = tq::ParseCommandLine(tq::SplitProgramCommandLine(
        GetCommandLineA(), tq::Win32SystemPaths().ModuleFileName(),
        [](unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }));
    const int platformClass = tq::GetPlatformClass(tq::RealSystemInfo());
    const int processorClass = tq::GetProcessorClass(tq::RealSystemInfo());
    tq::ProgramServices program{
        installer->ui, installer->log, platformClass, processorClass,
        [installer, &services] {
            installer->warnings.target = &installer->boxWarnings;
            return tq::RunInstaller(services);
        },
        [installer, &line, platformClass, processorClass] {
            installer->warnings.target = &installer->logWarnings;
            tq::LoggedProgress progress{installer->log,
                                        [installer](int id) { return installer->ui.LoadText(id); }};
            tq::InstallJob job;
            job.progress = &progress;
            job.platformClass = platformClass;
            job.processorClass = processorClass;
            tq::UnattendedServices unattended{
                installer->spooler,
                installer->names,
                installer->portMonitor,
                installer->steps,
                installer->signals,
                installer->log,
                installer->pnpSucceeded,
                tq::SpoolerEnvironmentFor(platformClass, processorClass),
                SecondInstance,
                [installer](const std::atomic<bool>& stop) {
                    return installer->StartWatcher(stop);
                },
                tq::RunsAsLocalSystem};
            return tq::RunUnattended(line, job, installer->settings, unattended);
        }};
    // At once, whatever the installation thread or the queue watcher is doing.
    ExitProcess(static_cast<UINT>(tq::RunProgram(line, program)));
}
