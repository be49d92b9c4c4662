// The network-tools package's customisation file, customize.ini: where its two copies are,
// where the package is installed, and every key the uninstaller reads with its default.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/profile_strings.h"

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
};

// From the running program's path and the Windows directory; Install_Path is read from the
// local file. The Program Files folder is deliberately not asked from the system. Without a
// folder in the program's path there is no local file (its keys read as their defaults); without
// one in the Windows directory, or with an Install_Path that is not a folder below the drive's
// root, there is no install folder and no installed file.
CustomizePaths ComputeCustomizePaths(const std::string& moduleFileName,
                                     const std::string& windowsDirectory, ProfileStrings& profile);

// A key's value as the profile functions give it (a missing file, section or key: the default),
// at most 254 characters. No file (empty): the default.
std::string ReadCustomize(ProfileStrings& profile, const std::string& file,
                          const CustomizeKey& key);

// The uninstaller runs as administrator and deletes what customize.ini names, so a name must
// not reach outside the package. A file, folder or shortcut name is one path component: not
// empty, not "." or "..", without "\", "/", ":" or a control character (double-byte characters
// taken whole: a trail byte is not a backslash).
bool IsSingleComponentName(std::string_view name);
// Install_Path is a relative folder below the drive's root: not empty, no drive, no leading
// backslash (root or UNC), and every component a single-component name.
bool IsRelativeFolder(std::string_view path);

}  // namespace tq::uninstall
