#include <windows.h>

#include "platform/instance.h"

namespace tq {

bool InstanceMutexExists(const char* name) {
    // Deliberately never closed: the mutex must exist until the process ends.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name);
    const bool exists = GetLastError() == ERROR_ALREADY_EXISTS;
    if (mutex != nullptr) ReleaseMutex(mutex);
    return exists;
}

}  // namespace tq
