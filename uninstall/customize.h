// The network-tools package's customisation file, customize.ini: where its two copies are,
// where the package is installed, and every key the uninstaller reads with its default.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile_strings.h"
#include "platform/system_paths.h"

namespace tq::uninstall {

// Every value is read into a buffer of this size: at most 254 characters.
inline constexpr std::size_t kCustomizeValueBuffer = 255;
inline constexpr char kCustomizeFileName[] = "customize.ini";

// Which copy of customize.ini a key is read from.
enum class CustomizeFile {
    Local,      // beside the running program
    Installed,  // in the install folder
};

struct CustomizeKey {
    const char* section;
    const char* key;
    const char* defaultValue;
};

// The keys, with their defaults. ("MORNITOR" is the section's name as packages spell it.)
namespace keys {
inline constexpr CustomizeKey kInstallPath{"INSTALL", "Install_Path", "Program Files\\Orvello"};
inline constexpr CustomizeKey kUninstallFile{"INSTALL", "Uninstall_File", "VNTUninstall.exe"};
inline constexpr CustomizeKey kHelpFile{"INSTALL", "Help_File", "TRXHELP.chm"};
inline constexpr CustomizeKey kNetPortSetupFile{"INSTALL", "NetPortSetup_File",
                                                "NetPortSetupApp.exe"};
inline constexpr CustomizeKey kMainTitle{"UNINSTALL", "Main_Title", "Uninstall"};
inline constexpr CustomizeKey kInfo{"UNINSTALL", "Info", ""};
inline constexpr CustomizeKey kAboutTitle{"UNINSTALL", "Help_About_Title", "About"};
inline constexpr CustomizeKey kVersion{"UNINSTALL", "Version", "1.0.0.0"};
inline constexpr CustomizeKey kAboutCopyright{"UNINSTALL", "Help_About_Copyright",
                                              "Copyright (C) Orvello. All rights reserved."};
inline constexpr CustomizeKey kMonitorApp{"MORNITOR", "APPName", "AlertWatcher.exe"};
inline constexpr CustomizeKey kMonitorTitle{"MORNITOR", "Main_Title", "Alert Watcher"};
inline constexpr CustomizeKey kAdminTitle{"ADMIN", "Main_Title", "Device Keeper"};
inline constexpr CustomizeKey kAdminApp{"ADMIN", "APPName", "DeviceKeeper.exe"};
inline constexpr CustomizeKey kAdminLogo{"ADMIN", "Main_LOGO", "logo.bmp"};
inline constexpr CustomizeKey kStartMenuFolder{"STARTMENU", "DIR_Name", "Admin Tools"};
inline constexpr CustomizeKey kAdminLink{"STARTMENU", "Admin_Link_Name", "Device Keeper"};
inline constexpr CustomizeKey kMonitorLink{"STARTMENU", "Monitor_Link_Name", "Alert watcher"};
inline constexpr CustomizeKey kUninstallLink{"STARTMENU", "Uninstall_Link_Name", "Admin Tools"};
inline constexpr CustomizeKey kNetPortSetupLink{"STARTMENU", "NetPortSetup_Link_Name",
                                                "Net Port Setup"};
}  // namespace keys

// The two copies and the install folder, computed once when the dialog opens. A path that
// cannot be formed is empty.
struct CustomizePaths {
    std::string localFile;      // the program's folder + "customize.ini"
    std::string installFolder;  // the Windows drive's root + [INSTALL] Install_Path (local)
    std::string installedFile;  // installFolder + "\customize.ini"
    std::string programFile;    // the running program, to recognise its copy by
};

// Whether a byte starts a double-byte character in the code page paths are written in: the
// running system's (IsDBCSLeadByte), never a fixed one: under 1252 the bytes E9 5C are "é\",
// under 936 one character.
using LeadByteRule = std::function<bool(unsigned char)>;

// From the running program's path and the Windows directory, both cut by the system's lead
// bytes; Install_Path is read from the local file. The Program Files folder is deliberately not
// asked from the system. Without a folder in the program's path there is no local file (its keys
// read as their defaults); without one in the Windows directory, or with an Install_Path that is
// not a folder below the drive's root, there is no install folder and no installed file.
CustomizePaths ComputeCustomizePaths(SystemPaths& system, ProfileStrings& profile);

// A key's value as the profile functions give it (a missing file, section or key: the default),
// at most 254 characters. No file (empty): the default.
std::string ReadCustomize(ProfileStrings& profile, const std::string& file,
                          const CustomizeKey& key);

// The backslash-separated parts of `path`, walked by character: a trail byte is never a
// separator. "a\b\" gives "a", "b", "".
std::vector<std::string_view> PathComponents(std::string_view path, const LeadByteRule& isLeadByte);

// The uninstaller runs as administrator and deletes what customize.ini names, so a name must
// not reach outside its folder. A component names one entry of a folder as Windows would find
// it: not empty; no control character, "/", ":" (a drive or a stream), or wildcard; not ending in
// "." or " " (which Windows strips: ".." and ". ." climb); not a device name (CON, NUL, COM1,
// LPT1, ... with or without an extension); no lead byte left without its trail byte.
bool IsComponentName(std::string_view name, const LeadByteRule& isLeadByte);
// A configured file, folder or shortcut name: components joined by backslashes, each one a
// component name (`bin\AlertWatcher.exe`, `Vendor\Admin Tools`), so it stays inside its folder.
bool IsRelativeName(std::string_view path, const LeadByteRule& isLeadByte);
// Install_Path: a relative name below the drive's root, a trailing backslash allowed.
bool IsRelativeFolder(std::string_view path, const LeadByteRule& isLeadByte);

}  // namespace tq::uninstall
