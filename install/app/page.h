// A wizard page: plain logic behind one dialog template. The host runs it modally, calls Open
// once the controls exist and a handler per button; a result other than Stay ends the page.
#pragma once

#include <cstdint>
#include <memory>

#include "install/app/ui.h"

namespace tq {

enum class PageId {
    Welcome,
    PrinterName,
    Sharing,
    ConnectionType,
    TcpIpPort,
    SharedPrinter,
    Progress,
};

struct PageResult {
    enum class Kind { Stay, MoveTo, End };
    Kind kind = Kind::Stay;
    PageId next = PageId::Welcome;
    int exitCode = 0;

    static PageResult Stay() { return {}; }
    static PageResult MoveTo(PageId page) { return {Kind::MoveTo, page, 0}; }
    static PageResult End(int exitCode) { return {Kind::End, PageId::Welcome, exitCode}; }
};

class Page {
  public:
    virtual ~Page() = default;
    virtual int DialogId() const = 0;
    // Every page but the welcome page has its own taskbar button.
    virtual bool HasAppWindowStyle() const { return true; }
    virtual void Open(PageControls& controls) = 0;
    // A button; kIdCancel stands for the Cancel button and the Esc key alike. A radio button's
    // or check box's click may arrive while another handler of the page waits on a question
    // (PageEvents): its handler only records what the page now shows and asks nothing.
    virtual PageResult OnCommand(int control, PageControls& controls) = 0;
    // The window's close button.
    virtual PageResult OnClose(PageControls& controls) = 0;
    // A click on a list view of the page (after the list has updated its selection).
    virtual PageResult OnListClick(int /*control*/, PageControls& /*controls*/) {
        return PageResult::Stay();
    }
    // A timer started with PageControls::StartTimer.
    virtual PageResult OnTimer(int /*id*/, PageControls& /*controls*/) {
        return PageResult::Stay();
    }
    // The program's own window messages (WM_USER and above) that the page takes; every other
    // message is left to the dialog manager (some of its own share that range).
    virtual bool TakesMessage(unsigned /*message*/) const { return false; }
    virtual PageResult OnMessage(unsigned /*message*/, std::uintptr_t /*wParam*/,
                                 std::intptr_t /*lParam*/, PageControls& /*controls*/) {
        return PageResult::Stay();
    }
};

// The pages between the welcome page and the progress page: Cancel, Esc and the close button
// all ask the cancel question.
class MiddlePage : public Page {
  public:
    PageResult OnClose(PageControls& controls) override;

  protected:
    explicit MiddlePage(Ui& ui) : ui_(ui) {}
    Ui& ui_;
};

class PageFactory {
  public:
    virtual ~PageFactory() = default;
    // A new page for every visit; nullptr for a page this build does not have.
    virtual std::unique_ptr<Page> Create(PageId id) = 0;
};

class PageHost {
  public:
    virtual ~PageHost() = default;
    // Runs the page modally until a handler returns something other than Stay.
    virtual PageResult Run(Page& page) = 0;
};

inline constexpr int kChildNotShown = -1;

// Dialogs that a page shows over itself and ends from its own handlers.
class ChildDialogs {
  public:
    virtual ~ChildDialogs() = default;
    // Runs `child` modally over `owner`'s window; returns the code given to End, or the exit
    // code of the PageResult::End that one of the child's own handlers returned;
    // kChildNotShown when the dialog could not be made.
    virtual int RunChild(Page& child, Page& owner) = 0;
    // Ends a child that is running; nothing when it is not.
    virtual void End(Page& child, int code) = 0;
};

// The wizard: runs one page at a time from `first` and moves by each page's result. Returns the
// program's exit code.
int RunWizard(PageId first, PageFactory& factory, PageHost& host);

// The Cancel question of the wizard: Yes ends the program with exit code 1, No stays.
PageResult AskCancelInstall(Ui& ui);

}  // namespace tq
