// The sharing page: whether the new queue is shared on the network, and under which name.
#pragma once

#include "install/app/page.h"
#include "install/engine/wizard_settings.h"
#include "platform/spooler.h"
#include "platform/system_names.h"

namespace tq {

inline constexpr char kProposedShareName[] = "KestraTQ";

class SharingPage : public MiddlePage {
  public:
    SharingPage(WizardSettings& settings, Spooler& spooler, SystemNames& names, Ui& ui)
        : MiddlePage(ui), settings_(settings), spooler_(spooler), names_(names) {}

    int DialogId() const override;
    void Open(PageControls& controls) override;
    PageResult OnCommand(int control, PageControls& controls) override;

  private:
    PageResult Next(PageControls& controls);

    WizardSettings& settings_;
    Spooler& spooler_;
    SystemNames& names_;
};

}  // namespace tq
