// SysFileCopier.exe: on 64-bit Windows, the 32-bit installer cannot write into the real system
// folder (file-system redirection sends it to SysWOW64). The installer starts this 64-bit
// program, without arguments, from the medium's root; it copies the language monitor with its
// firmware and data file from the platform folder beside it into the system folder.
// Exit code 0 when every file was copied, 1 when the program's own folder or the system folder
// cannot be read, 2 when a file could not be copied (the others are still tried).
#include <windows.h>

#include "helpers/common/bounded_text.h"
#include "helpers/sys_file_copier/copier_files.h"

namespace {

using tq::helpers::Append;
namespace copier = tq::sys_file_copier;

constexpr DWORD kPathSize = MAX_PATH;

// The folder of this program, with its trailing backslash. The path is walked by the system
// code page's lead bytes (a second byte may be that of a backslash) with kernel32 alone: the
// installer waits for this program, and user32, which CharNextA would bring in, costs Wine
// 20 to 170 ms of start-up (a few ms without it).
bool OwnFolder(char (&folder)[kPathSize]) {
    const DWORD length = GetModuleFileNameA(nullptr, folder, kPathSize);
    if (length == 0 || length >= kPathSize) return false;
    char* cut = nullptr;
    for (char* p = folder; *p != '\0'; ++p) {
        if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0') {
            ++p;
        } else if (*p == '\\') {
            cut = p;
        }
    }
    if (cut == nullptr) return false;
    cut[1] = '\0';
    return true;
}

unsigned long MajorVersion() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    // Without a compatibility manifest Windows 8.1 and later report 6.2: still "6 or later".
    return GetVersionExA(&version) ? version.dwMajorVersion : 0;
}

// Copies one file, replacing a read-only copy left by an earlier installation.
bool CopyOne(const char* source, const char* destination) {
    if (CopyFileA(source, destination, FALSE)) return true;
    SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
    return CopyFileA(source, destination, FALSE) != FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char sourceFolder[kPathSize] = "";
    if (!OwnFolder(sourceFolder) ||
        !Append(sourceFolder, copier::SourceFolderFor(MajorVersion()))) {
        return 1;
    }
    char systemFolder[kPathSize] = "";
    const UINT length = GetSystemDirectoryA(systemFolder, kPathSize);
    if (length == 0 || length >= kPathSize || !Append(systemFolder, "\\")) return 1;

    int result = 0;
    for (const char* name : copier::kFiles) {
        char source[kPathSize] = "";
        char destination[kPathSize] = "";
        if (!Append(source, sourceFolder) || !Append(source, name) ||
            !Append(destination, systemFolder) || !Append(destination, name) ||
            !CopyOne(source, destination)) {
            result = 2;
        }
    }
    return result;
}
