// The network printer search dialog: starts a search as it opens, lists the printers of our
// maker that answer (sorted by device name), and remembers the address of the row the user
// confirms. The search runs on worker threads; what a worker finds reaches the dialog only as
// the messages below, sent to the dialog's thread, and only while that very dialog is open.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "install/app/page.h"
#include "install/network/printer_search.h"

namespace tq {

// The worker's reports, as window messages to the dialog: wParam is the number of the dialog's
// opening (see OpenSearchDialog); lParam points at data that lives until the send returns.
inline constexpr unsigned kSearchLocalAddressMessage = 0x8000 + 0x20;  // lParam: const char*
inline constexpr unsigned kSearchClearMessage = 0x8000 + 0x21;         // lParam: unused
inline constexpr unsigned kSearchRowMessage = 0x8000 + 0x22;  // lParam: const DiscoveredPrinter*

inline constexpr int kLocalAddressTimerId = 1;
inline constexpr unsigned kLocalAddressTimerMilliseconds = 120;

// The program-wide reference through which search workers find the open search dialog. Each
// opening gets a number of its own; a worker's report is delivered only while the dialog it was
// started for is the open one, so a search that outlives its dialog reaches nobody.
class OpenSearchDialog {
  public:
    int Opened() {
        const int number = ++last_;
        current_ = number;
        return number;
    }
    void Closed(int number) {
        int expected = number;
        current_.compare_exchange_strong(expected, 0);
    }
    bool IsOpen(int number) const { return number != 0 && current_ == number; }

  private:
    std::atomic<int> last_{0};
    std::atomic<int> current_{0};
};

// A search's reports for the dialog it was started for: each becomes one message through
// `send` (message, dialog number, data pointer) while that dialog is open, nothing after.
class SearchHandover : public PrinterSearchReport {
  public:
    using Send = std::function<void(unsigned message, int dialog, const void* data)>;
    SearchHandover(const OpenSearchDialog& open, int dialog, Send send)
        : open_(open), dialog_(dialog), send_(std::move(send)) {}

    void ShowLocalAddress(const std::string& address) override;
    void ClearList() override;
    void AddPrinter(const DiscoveredPrinter& printer) override;

  private:
    void Deliver(unsigned message, const void* data);
    const OpenSearchDialog& open_;
    int dialog_;
    Send send_;
};

class SearchDialogServices {
  public:
    virtual ~SearchDialogServices() = default;
    // The host address file's address (its folder created first); empty when none is stored.
    virtual std::string ReadHostAddress() = 0;
    // Starts a search on a worker thread of its own, reporting to `dialog` (opening `number`)
    // through a SearchHandover; bound to `hostAddress` unless it is empty.
    virtual void StartSearch(Page& dialog, int number, const std::string& hostAddress) = 0;
    // Runs the adapter selection dialog over `owner`; true when it was closed with its OK
    // button.
    virtual bool RunAdapterDialog(Page& owner) = 0;
};

class SearchDialog : public Page {
  public:
    // `lastChosen`: the address last confirmed in any search dialog of this run.
    SearchDialog(Ui& ui, SearchDialogServices& services, OpenSearchDialog& open,
                 std::string& lastChosen)
        : ui_(ui), services_(services), open_(open), lastChosen_(lastChosen) {}
    ~SearchDialog() override { open_.Closed(number_); }

    int DialogId() const override;
    bool HasAppWindowStyle() const override { return false; }
    void Open(PageControls& controls) override;
    PageResult OnCommand(int control, PageControls& controls) override;
    PageResult OnClose(PageControls& controls) override;
    PageResult OnListClick(int control, PageControls& controls) override;
    PageResult OnTimer(int id, PageControls& controls) override;
    bool TakesMessage(unsigned message) const override;
    PageResult OnMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                         PageControls& controls) override;

    const std::string& candidate() const { return candidate_; }
    const std::string& hostAddress() const { return hostAddress_; }
    const std::string& shownLocalAddress() const { return shownLocalAddress_; }

  private:
    PageResult Close(int code);

    Ui& ui_;
    SearchDialogServices& services_;
    OpenSearchDialog& open_;
    std::string& lastChosen_;
    int number_ = 0;
    std::string candidate_;
    std::string hostAddress_;
    std::string shownLocalAddress_;
};

}  // namespace tq
