// Bounded text work for the helper libraries: 8-bit strings in the system code page, held in the
// fixed 260-byte buffers of their callers.
#pragma once

#include <cstddef>
#include <cstring>

namespace tq::helpers {

// Length of `text` when it ends within `size` bytes, else `size`. Reads no byte past `size`.
inline std::size_t BoundedLength(const char* text, std::size_t size) {
    const void* end = std::memchr(text, '\0', size);
    return end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : size;
}

// Appends `text` to the NUL-terminated contents of `buffer`. A result that would not fit is
// refused (false, buffer unchanged), never cut: a cut path or port names something else.
template <std::size_t N>
bool Append(char (&buffer)[N], const char* text) {
    const std::size_t used = BoundedLength(buffer, N);
    if (used == N) return false;
    const std::size_t add = BoundedLength(text, N - used);
    if (used + add >= N) return false;
    std::memcpy(buffer + used, text, add + 1);
    return true;
}

}  // namespace tq::helpers
