// The first page of a fresh run: a plain welcome, or the list of queues of the model already
// installed with the choice to restart first, continue at once or close.
#pragma once

#include <functional>

#include "install/app/page.h"
#include "install/engine/restart_cycle.h"
#include "install/engine/wizard_settings.h"
#include "platform/spooler.h"

namespace tq {

class WelcomePage : public Page {
  public:
    // driverEnvironment: the spooler environment of the model's driver (SpoolerEnvironmentFor).
    WelcomePage(WizardSettings& settings, Spooler& spooler, const char* driverEnvironment, Ui& ui,
                std::function<RestartRequest()> restartForUpdate);

    int DialogId() const override;
    bool HasAppWindowStyle() const override { return false; }
    void Open(PageControls& controls) override;
    PageResult OnCommand(int control, PageControls& controls) override;
    PageResult OnClose(PageControls& controls) override;

    bool installedFound() const { return installedFound_; }

  private:
    void ShowInstalledQueues(PageControls& controls, int count);

    WizardSettings& settings_;
    Spooler& spooler_;
    const char* driverEnvironment_;
    Ui& ui_;
    std::function<RestartRequest()> restartForUpdate_;
    bool installedFound_ = false;
    // Windows is restarting: another 重启 must not park the spooler again (it would take the
    // on-demand start it set for the one to restore).
    bool restartRequested_ = false;
};

}  // namespace tq
