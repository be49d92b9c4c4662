// What SysFileCopier.exe copies: the language monitor with its firmware and data file, from
// the platform folder of the medium it lies on into the system directory. Plain data, shared
// with the installer's host tests, which check it against the installer's own tables.
#pragma once

namespace tq::sys_file_copier {

inline constexpr const char* kFiles[] = {"FWTQ8240.bin", "T8242lm.dll", "T824XWM.dat"};

// The medium's folder for the Windows version the copier runs on, below its own folder:
// Vista (6.0) and later, or XP x64 and Server 2003 x64 (5.2).
constexpr const char* SourceFolderFor(unsigned long majorVersion) {
    return majorVersion >= 6 ? "Driver\\Vista\\" : "Driver\\2KXP\\";
}

}  // namespace tq::sys_file_copier
