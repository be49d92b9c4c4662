// The uninstaller's texts that come from customize.ini: the confirmation dialog's (from the
// installed file) and the about box's (from the local file), and the safe way to put a name
// into a text with a "%s" in it.
#pragma once

#include <string>

#include "platform/profile_strings.h"
#include "uninstall/customize.h"

namespace tq::uninstall {

// `pattern` with its first "%s" replaced by `value`, which goes in as it stands: a '%' in a
// path is never read as a format. A pattern without "%s" is returned unchanged.
std::string InsertText(const std::string& pattern, const std::string& value);

// The system-menu entry that opens the about box, and its command id.
inline constexpr char kAboutMenuPattern[] = "About %s(&A)...";
inline constexpr unsigned kAboutCommandId = 16;

// A WM_SYSCOMMAND id is the about entry when its low four bits cleared give the entry's id (the
// system keeps those bits for itself).
inline bool IsAboutCommand(unsigned long long commandId) {
    return (commandId & ~0xFULL) == kAboutCommandId;
}

struct DialogTexts {
    std::string title;           // [UNINSTALL] Main_Title
    std::string info;            // [UNINSTALL] Info; empty: the dialog keeps its own question
    std::string aboutMenuEntry;  // "About <[INSTALL] Uninstall_File>(&A)..."
};

// The confirmation dialog's texts, all from the installed file.
DialogTexts ReadDialogTexts(ProfileStrings& profile, const CustomizePaths& paths);

struct AboutTexts {
    std::string title;           // [UNINSTALL] Help_About_Title
    std::string nameAndVersion;  // [INSTALL] Uninstall_File + " " + [UNINSTALL] Version
    std::string copyright;       // [UNINSTALL] Help_About_Copyright
};

// The about box's texts, all from the local file.
AboutTexts ReadAboutTexts(ProfileStrings& profile, const CustomizePaths& paths);

}  // namespace tq::uninstall
