#include "platform/win32/file_system_win32.h"

#include <windows.h>

#include "platform/win32/owners.h"

namespace tq {

FolderResult Win32FileSystem::CreateFolder(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return FolderResult::Created;
    return GetLastError() == ERROR_ALREADY_EXISTS ? FolderResult::AlreadyExists
                                                  : FolderResult::Failed;
}

bool Win32FileSystem::FileExists(const std::string& path) {
    return FileSearch(path.c_str()).Found();
}

bool Win32FileSystem::Copy(const std::string& source, const std::string& destination) {
    return CopyFileA(source.c_str(), destination.c_str(), FALSE) != FALSE;
}

bool Win32FileSystem::SetNormalAttributes(const std::string& path) {
    return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

}  // namespace tq
