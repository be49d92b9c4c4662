// Process entry of T824UIS.exe, the printer's remover: wires the Win32 implementations to the
// remover's run (install/remover/remover.*).
#include <windows.h>

#include "install/app/startup.h"
#include "install/remover/remover.h"
#include "install/remover/res/remover_ids.h"
#include "install/system/platform_class.h"
#include "platform/arguments.h"
#include "platform/dll_search.h"
#include "platform/instance.h"
#include "platform/system_info.h"
#include "platform/win32/file_system_win32.h"
#include "platform/win32/log_file_win32.h"
#include "platform/win32/port_monitor_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/spooler_win32.h"
#include "platform/win32/system_paths_win32.h"

namespace {

// Message boxes without an owner, texts from this program's string table.
class RemoverUi : public tq::Ui {
  public:
    explicit RemoverUi(HINSTANCE instance) : instance_(instance) {}
    std::string LoadText(int stringId) override {
        char buffer[2048];
        const int n = LoadStringA(instance_, static_cast<UINT>(stringId), buffer, sizeof(buffer));
        return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    }
    int ShowMessageBox(const std::string& text, const std::string& caption,
                       unsigned style) override {
        return MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
    }

  private:
    HINSTANCE instance_;
};

// Both names are taken and kept: the installer's, so that no installation starts while this
// removal runs, and the remover's own.
bool SecondInstance() {
    const bool installer = tq::IsSecondInstance(tq::kInstanceMutexName, tq::CreateInstanceMutex);
    const bool remover = tq::IsSecondInstance(tq::kRemoverMutexName, tq::CreateInstanceMutex);
    return installer || remover;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    tq::NarrowDllSearchPath();

    tq::Win32SystemPaths paths;
    const tq::RemoverCommandLine line = tq::ParseRemoverCommandLine(
        tq::SplitProgramCommandLine(GetCommandLineA(), paths.ModuleFileName(),
                                    [](unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }));

    RemoverUi ui(instance);
    tq::Win32Spooler spooler;
    tq::Win32Registry registry;
    tq::Win32FileSystem files;
    tq::Win32PortMonitor ports;
    tq::Win32LogFile logFile;
    tq::Win32SystemErrors errors;
    tq::RunLog log(logFile, errors);
    tq::RemoverServices services{spooler,
                                 registry,
                                 files,
                                 paths,
                                 ports,
                                 tq::GetPlatformClass(tq::RealSystemInfo()),
                                 tq::GetProcessorClass(tq::RealSystemInfo()),
                                 [&ui](int id) { return ui.LoadText(id); }};
    tq::RemoverFrontEnd frontEnd{services, ui, log, SecondInstance};
    return tq::RunRemover(line, frontEnd);
}
