// Threads of the program's own work (the installation, the queue watcher, a network search).
#pragma once

namespace tq {

// A thread that can be waited for; the owner that goes without waiting leaves it running.
class WorkThread {
  public:
    virtual ~WorkThread() = default;
    // Waits until the thread's work has returned.
    virtual void Join() = 0;
};

}  // namespace tq
