// Process entry of TQ82Ins.exe: wires the Win32 implementations to the start-up logic.
#include <windows.h>
#include <commctrl.h>

#include "install/app/startup.h"
#include "install/app/welcome_page.h"
#include "install/app/win32/dialog_host.h"
#include "install/app/wizard_settings.h"
#include "install/res/resource.h"
#include "platform/dll_search.h"
#include "platform/instance.h"
#include "platform/win32/spooler_win32.h"

namespace {

class InstallerPages : public tq::PageFactory {
  public:
    InstallerPages(tq::WizardSettings& settings, tq::Spooler& spooler, tq::Ui& ui)
        : settings_(settings), spooler_(spooler), ui_(ui) {}

    std::unique_ptr<tq::Page> Create(tq::PageId id) override {
        switch (id) {
            case tq::PageId::Welcome:
                return std::make_unique<tq::WelcomePage>(settings_, spooler_, ui_,
                                                         [] { /* restart cycle: not yet */ });
            default:
                return nullptr;  // the pages after the welcome page come later
        }
    }

  private:
    tq::WizardSettings& settings_;
    tq::Spooler& spooler_;
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
    InstallerPages pages(settings, spooler, ui);
    tq::Win32PageHost host(instance, IDI_PROGRAM);

    tq::StartupServices services{ui, pages, host,
                                 [] { return tq::InstanceMutexExists(tq::kInstanceMutexName); },
                                 [] { return false; }};
    return tq::RunInstaller(services);
}
