// The folders every engine step names: where the installer runs from and where the printer's
// program folder goes.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/system_paths.h"

namespace tq {

inline constexpr std::size_t kMaxPath = 260;

// The installer's folder, ending in a backslash: the module path cut after its last
// backslash (a renamed installer, "TQ82Ins (1).exe", still finds its medium). Empty when the
// path has no backslash. A byte for which `isLeadByte` holds starts a double-byte character,
// whose second byte is never a backslash of its own.
std::string SourceFolderOf(std::string_view modulePath,
                           const std::function<bool(unsigned char)>& isLeadByte);
// The running installer's folder, cut by the system's own code page.
std::string SourceFolder(SystemPaths& paths);

// The first three characters of the Windows folder (drive, colon, backslash) +
// "Program Files\Kestra\" + the printer name; no trailing backslash. Empty when the Windows
// folder is shorter than three characters.
std::string ProgramFolderOf(std::string_view windowsDirectory, std::string_view printerName);

}  // namespace tq
