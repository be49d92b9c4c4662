#include "platform/win32/threads_win32.h"

#include <windows.h>

#include <new>

#include "platform/win32/owners.h"

namespace tq {

namespace {

DWORD WINAPI RunWork(void* parameter) {
    std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    (*work)();
    return 0;
}

// The thread's handle, or null; the work is the thread's from the moment it runs.
HANDLE Start(std::function<void()> work) {
    auto* owned = new (std::nothrow) std::function<void()>(std::move(work));
    if (owned == nullptr) return nullptr;
    HANDLE thread = CreateThread(nullptr, 0, RunWork, owned, 0, nullptr);
    if (thread == nullptr) delete owned;
    return thread;
}

class Win32WorkThread : public WorkThread {
  public:
    explicit Win32WorkThread(HANDLE thread) : thread_(thread) {}
    void Join() override { WaitForSingleObject(thread_.get(), INFINITE); }

  private:
    KernelHandle thread_;
};

}  // namespace

bool StartThread(std::function<void()> work) {
    HANDLE thread = Start(std::move(work));
    if (thread == nullptr) return false;
    CloseHandle(thread);
    return true;
}

std::unique_ptr<WorkThread> StartWorkThread(std::function<void()> work) {
    HANDLE thread = Start(std::move(work));
    if (thread == nullptr) return nullptr;
    return std::make_unique<Win32WorkThread>(thread);
}

}  // namespace tq
