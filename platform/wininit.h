// Windows 95, 98 and Me delete a file at the next start from WININIT.INI: a line "NUL=<short
// path>" in its [rename] section (the only record those systems have; MoveFileEx's is NT's).
// The file is plain text and may hold several such lines, so it is edited as text: the
// profile functions would keep one "NUL" key only.
#pragma once

#include <string>
#include <string_view>

namespace tq {

// `ini` (WININIT.INI's text, possibly empty) with "NUL=<shortPath>" added to its [rename]
// section, which is made at the end when there is none. Line ends are CR LF.
std::string WithWinInitDeletion(std::string_view ini, std::string_view shortPath);

}  // namespace tq
