// The uninstall procedure run by the confirmation dialog's OK: presence and running tests, the
// package's files, its Start-menu group, its firewall exceptions, the customisation files and
// the uninstaller's copy in the system directory, then the success message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/profile_strings.h"
#include "platform/run_log.h"
#include "uninstall/customize.h"
#include "uninstall/firewall.h"

namespace tq::uninstall {

enum class UninstallOutcome {
    NothingInstalled,  // the monitor's program is not in the install folder: the dialog ends
    ToolRunning,       // a tool's window is open or its program runs: the dialog stays
    FolderRefused,     // the install folder is no package's to delete from: nothing deleted
    Finished,          // everything was done: the dialog ends
    FilesLeft,         // ran to its end, but a file it deleted is still there
};

// The procedure's three messages, kept in the program's string table. The first two hold one
// "%s" for the path or title; the text is put in its place as it stands.
enum class UninstallText {
    NothingToUninstall,  // "%s" = the monitor's full path looked for
    ToolRunning,         // "%s" = the window title or the program's name found
    Finished,
    FolderRefused,  // "%s" = the install folder
    FilesLeft,      // the run ended, but a file it deleted is still there
};

inline constexpr std::uint32_t kAttributeDirectory = 0x10;      // FILE_ATTRIBUTE_DIRECTORY
inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT

// What the procedure asks of Windows. The method names keep clear of <windows.h>'s A/W macros
// (DeleteFile, RemoveDirectory, FindWindow), which would rename them in the Windows build.
class UninstallSystem {
  public:
    virtual ~UninstallSystem() = default;

    // customize.ini reading (GetPrivateProfileStringA).
    virtual ProfileStrings& Profile() = 0;
    // FindFirstFileA(path) finds a match; the search is closed again.
    virtual bool FindMatch(const std::string& path) = 0;
    // DeleteFileA.
    virtual bool RemoveFile(const std::string& path) = 0;
    // SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL).
    virtual bool SetNormalAttributes(const std::string& path) = 0;
    // RemoveDirectoryA: only an empty folder goes.
    virtual bool RemoveFolder(const std::string& path) = 0;
    // FindWindowA(no class, title) finds a top-level window.
    virtual bool WindowTitled(const std::string& title) = 0;
    // The szExeFile of every running process (a bare name on the NT family, a full path on
    // Windows 9x); empty when no snapshot can be taken. Sees every session, where FindWindowA
    // sees only the caller's desktop.
    virtual std::vector<std::string> RunningPrograms() = 0;
    // IsDBCSLeadByte: the running system's code page, the one its paths are written in.
    virtual bool IsLeadByte(unsigned char c) = 0;
    // GetFileAttributesA; nothing when the path does not exist (or cannot be asked).
    virtual std::optional<std::uint32_t> Attributes(const std::string& path) = 0;
    // What makes a file or folder itself, whatever name reaches it (volume serial number and
    // file index of the entry, the link itself for a reparse point); nothing where the system
    // cannot tell (Windows 9x).
    virtual std::optional<std::string> Identity(const std::string& path) = 0;
    // GetWindowsDirectoryA and GetSystemWindowsDirectoryA (they differ for a Terminal Server
    // user); the ones that answer.
    virtual std::vector<std::string> WindowsFolders() = 0;
    // The Program Files folders the registry names (ProgramFilesDir, its x86 and 64-bit forms,
    // in either registry view); the ones that answer.
    virtual std::vector<std::string> ProgramFilesFolders() = 0;
    // The whole file, when it can be read and holds at most `limit` bytes.
    virtual std::optional<std::string> ReadFileBytes(const std::string& path,
                                                     std::size_t limit) = 0;
    // HKLM "...\Explorer\Shell Folders" value "Common Programs" (at most 512 bytes); nothing
    // when the key cannot be opened or the value cannot be read.
    virtual std::optional<std::string> CommonProgramsFolder() = 0;
    // GetSystemDirectoryA; empty when it fails.
    virtual std::string SystemFolder() = 0;
    // CoInitialize on this thread: true when it must be balanced by UninitializeCom.
    virtual bool InitializeCom() = 0;
    virtual void UninitializeCom() = 0;
    // A text in the system code page as UTF-16 (MultiByteToWideChar with CP_ACP); empty when
    // it cannot be converted.
    virtual std::u16string SystemTextToUtf16(const std::string& text) = 0;
    // A fresh firewall object, made while COM is initialised and gone before it is not.
    virtual std::unique_ptr<Firewall> CreateFirewall() = 0;
    // A message of the string table, in the system code page.
    virtual std::string LoadText(UninstallText text) = 0;
    // A message box owned by the dialog: OK only, no icon.
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
};

// Where a run reports besides its message boxes: the log gets a line per step and every message;
// a quiet run shows no box at all.
struct UninstallReport {
    RunLog* log = nullptr;
    bool quiet = false;
};

// Runs the procedure once, synchronously. Names come from the installed customize.ini (the
// defaults where it says nothing).
UninstallOutcome RunUninstall(const CustomizePaths& paths, UninstallSystem& system,
                              const UninstallReport& report = {});

}  // namespace tq::uninstall
