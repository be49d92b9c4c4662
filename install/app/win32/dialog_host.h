// The Win32 side of the wizard: runs a page's dialog template modally and forwards its
// messages to the page; shows message boxes and loads texts for the pages.
#pragma once

#include <windows.h>

#include <map>

#include "install/app/page.h"

namespace tq {

class Win32Ui : public Ui {
  public:
    explicit Win32Ui(HINSTANCE instance) : instance_(instance) {}
    std::string LoadText(int stringId) override;
    int ShowMessageBox(const std::string& text, const std::string& caption,
                       unsigned style) override;

  private:
    HINSTANCE instance_;
};

class Win32PageHost : public PageHost, public ChildDialogs {
  public:
    Win32PageHost(HINSTANCE instance, int iconId) : instance_(instance), iconId_(iconId) {}
    PageResult Run(Page& page) override;
    int RunChild(Page& child, Page& owner) override;
    void End(Page& child, int code) override;

    // Pages whose dialogs are up, with their windows (set while each runs).
    std::map<const Page*, HWND> open;

  private:
    INT_PTR RunDialog(Page& page, HWND parent, PageResult& result);

    HINSTANCE instance_;
    int iconId_;
};

}  // namespace tq
