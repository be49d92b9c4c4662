// The folders every engine step names: where the installer runs from and where the printer's
// program folder goes.
#pragma once

#include <string>
#include <string_view>

namespace tq {

inline constexpr std::size_t kMaxPath = 260;

// The installer's folder, ending in a backslash: the module path cut after its last
// backslash (a renamed installer, "TQ82Ins (1).exe", still finds its medium). Empty when the
// path has no backslash.
std::string SourceFolderOf(std::string_view modulePath);

// The first three characters of the Windows folder (drive, colon, backslash) +
// "Program Files\Kestra\" + the printer name; no trailing backslash. Empty when the Windows
// folder is shorter than three characters.
std::string ProgramFolderOf(std::string_view windowsDirectory, std::string_view printerName);

}  // namespace tq
