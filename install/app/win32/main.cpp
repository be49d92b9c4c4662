// Process entry of TQ82Ins.exe: wires the Win32 implementations to the start-up logic.
#include <windows.h>
#include <commctrl.h>

#include "install/app/connection_type_page.h"
#include "install/app/printer_name_page.h"
#include "install/app/sharing_page.h"
#include "install/app/startup.h"
#include "install/app/welcome_page.h"
#include "install/app/win32/dialog_host.h"
#include "install/app/wizard_settings.h"
#include "install/res/resource.h"
#include "platform/dll_search.h"
#include "platform/instance.h"
#include "install/spooler/printer_settings.h"
#include "install/system/platform_class.h"
#include "platform/system_info.h"
#include "platform/win32/setup_libraries_win32.h"
#include "platform/win32/spooler_win32.h"

namespace {

class InstallerPages : public tq::PageFactory {
  public:
    InstallerPages(tq::WizardSettings& settings, tq::Spooler& spooler,
                   tq::PrinterSettings& printers, tq::Ui& ui)
        : settings_(settings), spooler_(spooler), printers_(printers), ui_(ui) {}

    std::unique_ptr<tq::Page> Create(tq::PageId id) override {
        switch (id) {
            case tq::PageId::Welcome:
                return std::make_unique<tq::WelcomePage>(settings_, spooler_, ui_,
                                                         [] { /* restart cycle: not yet */ });
            case tq::PageId::PrinterName:
                return std::make_unique<tq::PrinterNamePage>(settings_, spooler_, printers_, ui_);
            case tq::PageId::Sharing:
                return std::make_unique<tq::SharingPage>(settings_, spooler_, ui_);
            case tq::PageId::ConnectionType:
                return std::make_unique<tq::ConnectionTypePage>(
                    settings_, ui_, tq::GetPlatformClass(tq::RealSystemInfo()));
            default:
                return nullptr;  // progress, TCP/IP port and shared printer pages: not yet
        }
    }

  private:
    tq::WizardSettings& settings_;
    tq::Spooler& spooler_;
    tq::PrinterSettings& printers_;
    tq::Ui& ui_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    tq::NarrowDllSearchPath();

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                        ICC_INTERNET_CLASSES |
                                                        ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    static tq::WizardSettings settings;
    tq::Win32Ui ui(instance);
    tq::Win32Spooler spooler;
    tq::Win32SetupLibraries libraries;
    tq::PrinterSettings printers(spooler, libraries, tq::RealSystemInfo());
    InstallerPages pages(settings, spooler, printers, ui);
    tq::Win32PageHost host(instance, IDI_PROGRAM);

    tq::StartupServices services{ui, pages, host,
                                 [] { return tq::InstanceMutexExists(tq::kInstanceMutexName); },
                                 [] { return false; }};
    return tq::RunInstaller(services);
}
