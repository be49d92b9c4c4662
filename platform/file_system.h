// Files and folders, as the installer copies its driver set. Paths are 8-bit strings in the
// system code page. The method names stay clear of <windows.h>'s A/W macros (CreateDirectory,
// CopyFile), which would rename them in the Windows build.
#pragma once

#include <string>

namespace tq {

enum class FolderResult {
    Created,
    AlreadyExists,  // CreateDirectoryA failed with ERROR_ALREADY_EXISTS (183)
    Failed,         // any other failure
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // CreateDirectoryA(path, NULL): one folder; its parent must exist.
    virtual FolderResult CreateFolder(const std::string& path) = 0;
    // FindFirstFileA(path) finds a match: a file, or a folder, of that name (wildcards allowed).
    virtual bool FileExists(const std::string& path) = 0;
    // CopyFileA(source, destination, FALSE): replaces an existing destination, takes the
    // source's attributes; fails on a read-only destination.
    virtual bool Copy(const std::string& source, const std::string& destination) = 0;
    // SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL): clears read-only and the others.
    virtual bool SetNormalAttributes(const std::string& path) = 0;
};

}  // namespace tq
