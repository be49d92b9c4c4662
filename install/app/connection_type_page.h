// The connection type page: how the printer is attached, which decides the installation's path.
#pragma once

#include "install/app/page.h"
#include "install/engine/wizard_settings.h"

namespace tq {

class ConnectionTypePage : public MiddlePage {
  public:
    ConnectionTypePage(WizardSettings& settings, Ui& ui, int platformClass)
        : MiddlePage(ui), settings_(settings), platformClass_(platformClass) {}

    int DialogId() const override;
    void Open(PageControls& controls) override;
    PageResult OnCommand(int control, PageControls& controls) override;

    int selection() const { return selection_; }

  private:
    WizardSettings& settings_;
    int platformClass_;
    int selection_ = Usb;
};

}  // namespace tq
