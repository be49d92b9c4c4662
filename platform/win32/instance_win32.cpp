#include <windows.h>

#include "platform/instance.h"

namespace tq {

MutexCreation CreateInstanceMutex(const std::string& name) {
    SetLastError(ERROR_SUCCESS);
    // Deliberately never closed: the mutex must exist until the process ends.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
    const MutexCreation creation{mutex != nullptr, GetLastError()};
    if (mutex != nullptr) ReleaseMutex(mutex);
    return creation;
}

}  // namespace tq
