// Threads of the installer: the installation thread and the queue watcher.
#pragma once

#include <functional>

#include "install/app/installation.h"
#include "install/engine/win32/progress_window_win32.h"

namespace tq {

// Runs `work` on a new thread of normal priority, which owns it; the thread is not joined (the
// program ends every thread when it exits).
bool StartThread(std::function<void()> work);

// The three events of a run as the logic signals and waits on them.
class Win32InstallSignals : public InstallSignals {
  public:
    explicit Win32InstallSignals(ProgressEvents& events) : events_(events) {}
    void RequestPause() override { events_.pauseRequest.Signal(); }
    void Resume() override { events_.resume.Signal(); }
    void SignalPnp() override { events_.pnp.Signal(); }
    void WaitForPnp() override { WaitForSingleObject(events_.pnp.get(), INFINITE); }

  private:
    ProgressEvents& events_;
};

}  // namespace tq
