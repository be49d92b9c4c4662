// Single-instance markers: named kernel mutexes that live as long as the process.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

// What CreateMutexA answered for one name; which answers mean "another instance" is the
// installer's rule (install/app/startup).
struct MutexCreation {
    bool made = false;        // a handle came back: a new mutex, or one that existed
    std::uint32_t error = 0;  // GetLastError after the call (0 for a new mutex)
};

inline constexpr std::uint32_t kMutexAccessDenied = 5;     // ERROR_ACCESS_DENIED
inline constexpr std::uint32_t kMutexAlreadyExists = 183;  // ERROR_ALREADY_EXISTS

// CreateMutexA(name), initially owned, the ownership released at once. A handle that came back
// is never closed: the name stays taken until the process ends.
MutexCreation CreateInstanceMutex(const std::string& name);

}  // namespace tq
