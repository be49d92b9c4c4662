// The adapter selection dialog: every IPv4 address of every network adapter; the address of
// the row the user picks is stored in the host address file, for the next search to bind to.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "install/app/page.h"
#include "platform/network_adapters.h"

namespace tq {

class AdapterDialog : public Page {
  public:
    using Store = std::function<void(const std::string& address)>;
    // `store` writes the host address file; `out` takes the enumeration failure text.
    AdapterDialog(Ui& ui, NetworkAdapters& adapters, Store store, std::FILE* out)
        : ui_(ui), adapters_(adapters), store_(std::move(store)), out_(out) {}

    int DialogId() const override;
    bool HasAppWindowStyle() const override { return false; }
    void Open(PageControls& controls) override;
    PageResult OnCommand(int control, PageControls& controls) override;
    PageResult OnClose(PageControls& controls) override;
    PageResult OnListClick(int control, PageControls& controls) override;

    const std::string& candidate() const { return candidate_; }

  private:
    Ui& ui_;
    NetworkAdapters& adapters_;
    Store store_;
    std::FILE* out_;
    std::string candidate_;
};

}  // namespace tq
