// Files and folders, as the installer copies its driver set. Paths are 8-bit strings in the
// system code page. The method names stay clear of <windows.h>'s A/W macros (CreateDirectory,
// CopyFile, DeleteFile), which would rename them in the Windows build.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tq {

enum class FolderResult {
    Created,
    AlreadyExists,  // CreateDirectoryA failed with ERROR_ALREADY_EXISTS (183)
    Failed,         // any other failure
};

// System errors the copy stages tell apart.
inline constexpr std::uint32_t kErrorSharingViolation = 32;  // ERROR_SHARING_VIOLATION
inline constexpr std::uint32_t kErrorLockViolation = 33;     // ERROR_LOCK_VIOLATION
inline constexpr std::uint32_t kErrorUserMappedFile = 1224;  // ERROR_USER_MAPPED_FILE

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // CreateDirectoryA(path, NULL): one folder; its parent must exist.
    virtual FolderResult CreateFolder(const std::string& path) = 0;
    // FindFirstFileA(path) finds a match: a file, or a folder, of that name (wildcards allowed).
    virtual bool FileExists(const std::string& path) = 0;
    // FileExists with WOW64's file-system redirection turned off for the calling thread around
    // it (Wow64DisableWow64FsRedirection, looked up at run time): how a 32-bit program on 64-bit
    // Windows sees the real system folder. False also when the system refuses to turn it off or
    // lacks the call (a program that WOW64 does not redirect).
    virtual bool FileExistsUnredirected(const std::string& path) = 0;
    // CopyFileA(source, destination, FALSE): replaces an existing destination, takes the
    // source's attributes; fails on a read-only destination and on one in use. 0 when copied,
    // otherwise the system's error of the failed copy.
    virtual std::uint32_t CopyOver(const std::string& source, const std::string& destination) = 0;
    // MoveFileExA(from, to, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING): records
    // that `from` replaces `to` when Windows next starts (PendingFileRenameOperations). 0 when
    // recorded, otherwise the system's error (Windows 9x has no such record).
    virtual std::uint32_t ReplaceAtRestart(const std::string& from, const std::string& to) = 0;
    // SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL): clears read-only and the others.
    virtual bool SetNormalAttributes(const std::string& path) = 0;
    // DeleteFileA(path).
    virtual bool Delete(const std::string& path) = 0;
    // The size in bytes of the file `path` names (FindFirstFileA, as every Windows has it);
    // nullopt when there is none.
    virtual std::optional<std::uint64_t> FileSize(const std::string& path) = 0;
    // RemoveDirectoryA(path): the folder must be empty.
    virtual bool RemoveFolder(const std::string& path) = 0;
    // MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT): `path` (a file, or an empty folder
    // by then) is deleted when Windows next starts. On Windows 9x, which has no such call, a
    // file is recorded in WININIT.INI (platform/wininit.h) and a folder cannot be: 120
    // (ERROR_CALL_NOT_IMPLEMENTED). 0 when recorded, else the system's error.
    virtual std::uint32_t DeleteAtRestart(const std::string& path) = 0;
    // FindFirstFileA/FindNextFileA of folder + "\*": the names in it, "." and ".." left out.
    // False when the folder cannot be listed (missing included).
    struct FolderItem {
        std::string name;
        bool folder = false;
        bool link = false;  // a reparse point (junction, symbolic link): its target is elsewhere
    };
    virtual bool ListFolder(const std::string& folder, std::vector<FolderItem>& out) = 0;
};

}  // namespace tq
