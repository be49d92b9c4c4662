// Reading back what a Windows test wrote: a whole file's bytes.
#pragma once

#include <windows.h>

#include <string>

namespace tq::test {

// The file's bytes, or "<missing>" when it cannot be opened.
inline std::string ReadAll(const std::string& path) {
    std::string out;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        out.append(buffer, read);
    }
    CloseHandle(file);
    return out;
}

}  // namespace tq::test
