#include "install/app/win32/threads_win32.h"

#include <memory>
#include <new>

namespace tq {

namespace {
DWORD WINAPI RunWork(void* parameter) {
    std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    (*work)();
    return 0;
}
}  // namespace

bool StartThread(std::function<void()> work) {
    auto* owned = new (std::nothrow) std::function<void()>(std::move(work));
    if (owned == nullptr) return false;
    HANDLE thread = CreateThread(nullptr, 0, RunWork, owned, 0, nullptr);
    if (thread == nullptr) {
        delete owned;
        return false;
    }
    CloseHandle(thread);
    return true;
}

}  // namespace tq
