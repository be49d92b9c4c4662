#include "uninstall/confinement.h"

#include <vector>

namespace tq::uninstall {

namespace {

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

const char* Describe(FolderVerdict verdict) {
    switch (verdict) {
        case FolderVerdict::Allowed:
            return "allowed";
        case FolderVerdict::DriveRoot:
            return "a drive's root";
        case FolderVerdict::WindowsFolder:
            return "the Windows folder or below it";
        case FolderVerdict::ProgramFiles:
            return "Program Files itself";
        case FolderVerdict::ThroughLink:
            return "reached through a junction or symbolic link";
    }
    return "";
}

Confinement::Confinement(UninstallSystem& system)
    : system_(system), isLeadByte_([&system](unsigned char c) { return system.IsLeadByte(c); }) {}

bool Confinement::SameName(std::string_view a, std::string_view b) const {
    std::vector<std::string_view> left = PathComponents(a, isLeadByte_);
    std::vector<std::string_view> right = PathComponents(b, isLeadByte_);
    if (left.size() > 1 && left.back().empty()) left.pop_back();
    if (right.size() > 1 && right.back().empty()) right.pop_back();
    if (left.size() != right.size()) return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
        const std::string_view x = left[i];
        const std::string_view y = right[i];
        if (x.size() != y.size()) return false;
        // Latin letters fold; the bytes of a double-byte character compare as they are.
        for (std::size_t k = 0; k < x.size(); ++k) {
            if (isLeadByte_(static_cast<unsigned char>(x[k])) && k + 1 < x.size()) {
                if (x.substr(k, 2) != y.substr(k, 2)) return false;
                ++k;
            } else if (AsciiLower(x[k]) != AsciiLower(y[k])) {
                return false;
            }
        }
    }
    return true;
}

bool Confinement::SameEntry(const std::string& a, const std::string& b) {
    // A short name (PROGRA~1) or another spelling reaches the same folder: identities decide
    // where the system gives them.
    const std::optional<std::string> left = system_.Identity(a);
    const std::optional<std::string> right = left ? system_.Identity(b) : std::nullopt;
    if (left && right) return *left == *right;
    return SameName(a, b);
}

FolderVerdict Confinement::CheckInstallFolder(const std::string& folder) {
    std::vector<std::string_view> parts = PathComponents(folder, isLeadByte_);
    if (parts.size() > 1 && parts.back().empty()) parts.pop_back();
    // "C:", or a path that starts with a backslash (a share, or the current drive's root).
    if (parts.size() < 2 || parts[0].empty()) return FolderVerdict::DriveRoot;

    const std::vector<std::string> windows = system_.WindowsFolders();
    std::string path(parts[0]);
    bool exists = true;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        path += '\\';
        path += parts[i];
        if (exists) {
            const std::optional<std::uint32_t> attributes = system_.Attributes(path);
            exists = attributes.has_value();
            if (exists && (*attributes & kAttributeReparsePoint) != 0) {
                return FolderVerdict::ThroughLink;
            }
        }
        // The Windows folder among the folder's ancestors (or the folder itself).
        for (const std::string& w : windows) {
            if (!w.empty() && SameEntry(path, w)) return FolderVerdict::WindowsFolder;
        }
    }

    std::vector<std::string> programFiles = system_.ProgramFilesFolders();
    programFiles.push_back(std::string(parts[0]) + "\\Program Files");
    for (const std::string& p : programFiles) {
        if (!p.empty() && SameEntry(path, p)) return FolderVerdict::ProgramFiles;
    }
    return FolderVerdict::Allowed;
}

bool Confinement::ThroughLink(const std::string& base, std::string_view relative,
                              bool includeLast) {
    const std::vector<std::string_view> parts = PathComponents(relative, isLeadByte_);
    std::string path = base;
    const std::size_t walked = includeLast ? parts.size() : parts.size() - 1;
    for (std::size_t i = 0; i < walked; ++i) {
        path += '\\';
        path += parts[i];
        const std::optional<std::uint32_t> attributes = system_.Attributes(path);
        if (!attributes) return false;
        if ((*attributes & kAttributeReparsePoint) != 0) return true;
    }
    return false;
}

}  // namespace tq::uninstall
