#include "platform/win32/file_system_win32.h"

#include <windows.h>

namespace tq {

namespace {
// A FindFirstFileA search, closed when it goes out of scope.
class FindHandle {
  public:
    explicit FindHandle(const char* pattern) : handle_(FindFirstFileA(pattern, &data_)) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool found() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    WIN32_FIND_DATAA data_{};
    HANDLE handle_;
};
}  // namespace

FolderResult Win32FileSystem::CreateFolder(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return FolderResult::Created;
    return GetLastError() == ERROR_ALREADY_EXISTS ? FolderResult::AlreadyExists
                                                  : FolderResult::Failed;
}

bool Win32FileSystem::FileExists(const std::string& path) {
    return FindHandle(path.c_str()).found();
}

bool Win32FileSystem::Copy(const std::string& source, const std::string& destination) {
    return CopyFileA(source.c_str(), destination.c_str(), FALSE) != FALSE;
}

bool Win32FileSystem::SetNormalAttributes(const std::string& path) {
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

}  // namespace tq
