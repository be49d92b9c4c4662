#include "platform/win32/log_file_win32.h"

#include <string>

namespace tq {

namespace {

// Creates each missing folder of `path`'s parent, from the root down (outcomes are seen when
// the file is opened).
void CreateParentFolders(const std::string& path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (path[i] != '\\' || i < 3) continue;  // not the drive's root or a share's server
        CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
}

}  // namespace

Win32LogFile::~Win32LogFile() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool Win32LogFile::Open(const std::string& path) {
    if (file_ != INVALID_HANDLE_VALUE) {
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }
    CreateParentFolders(path);
    // On the NT family: a link or junction at the log's name is opened itself, not followed, and
    // a pipe's server may not act as this program. Windows 9x knows neither flag.
    const bool nt = (GetVersion() & 0x80000000u) == 0;
    const DWORD flags = FILE_ATTRIBUTE_NORMAL |
                        (nt ? FILE_FLAG_OPEN_REPARSE_POINT | SECURITY_SQOS_PRESENT |
                                  SECURITY_ANONYMOUS
                            : 0);
    file_ = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_ALWAYS, flags, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) return false;
    // Only a plain file on a disk: no device, pipe or console, no link (a reparse point, or a
    // second name of another file).
    BY_HANDLE_FILE_INFORMATION info{};
    const bool plain = GetFileType(file_) == FILE_TYPE_DISK &&
                       GetFileInformationByHandle(file_, &info) &&
                       (info.dwFileAttributes &
                        (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0 &&
                       info.nNumberOfLinks <= 1;
    if (!plain) {
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

bool Win32LogFile::Append(const std::string& bytes) {
    if (file_ == INVALID_HANDLE_VALUE || bytes.size() > MAXDWORD) return false;
    DWORD written = 0;
    return WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

LocalTime Win32LogFile::Now() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::string Win32LogFile::TemporaryFolder() {
    char buffer[MAX_PATH + 1] = "";
    const DWORD n = GetTempPathA(sizeof(buffer), buffer);
    if (n == 0 || n >= sizeof(buffer)) return {};
    std::string folder(buffer, n);
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

std::string Win32SystemErrors::Text(std::uint32_t error) {
    char buffer[512] = "";
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, buffer, sizeof(buffer), nullptr);
    std::string text(buffer, n < sizeof(buffer) ? n : sizeof(buffer) - 1);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

}  // namespace tq
