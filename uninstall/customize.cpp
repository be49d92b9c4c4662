#include "uninstall/customize.h"

#include "platform/text.h"

namespace tq::uninstall {

namespace {

// `path` cut after its last backslash (the backslash kept); empty when it has none. Walked by
// character: the trail byte of a double-byte character may be the backslash's byte.
std::string UpToLastBackslash(const std::string& path) {
    std::size_t cut = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsLeadByte936(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            ++i;
        } else if (path[i] == '\\') {
            cut = i;
        }
    }
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace

CustomizePaths ComputeCustomizePaths(const std::string& moduleFileName,
                                     const std::string& windowsDirectory, ProfileStrings& profile) {
    CustomizePaths paths;
    const std::string programFolder = UpToLastBackslash(moduleFileName);
    if (!programFolder.empty()) paths.localFile = programFolder + kCustomizeFileName;
    // C:\WINDOWS cut after its last backslash leaves the drive's root, C:\.
    const std::string root = UpToLastBackslash(windowsDirectory);
    const std::string installPath = ReadCustomize(profile, paths.localFile, keys::kInstallPath);
    if (!root.empty() && IsRelativeFolder(installPath)) {
        paths.installFolder = root + installPath;
        paths.installedFile = paths.installFolder + "\\" + kCustomizeFileName;
    }
    return paths;
}

std::string ReadCustomize(ProfileStrings& profile, const std::string& file,
                          const CustomizeKey& key) {
    // The profile functions take a bare name as a file in the Windows folder.
    if (file.empty()) return key.defaultValue;
    return profile.ReadStringOr(file, key.section, key.key, key.defaultValue,
                                kCustomizeValueBuffer);
}

bool IsSingleComponentName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (IsLeadByte936(c) && i + 1 < name.size()) {
            ++i;
            continue;
        }
        if (c < 0x20 || c == 0x7F || c == '\\' || c == '/' || c == ':') return false;
    }
    return true;
}

bool IsRelativeFolder(std::string_view path) {
    // Components between backslashes, by character; a trailing backslash is allowed.
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && IsLeadByte936(static_cast<unsigned char>(path[i])) &&
            i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (i < path.size() && path[i] != '\\') continue;
        const std::string_view component = path.substr(start, i - start);
        const bool last = i == path.size();
        if (!IsSingleComponentName(component) && !(last && component.empty() && start > 0)) {
            return false;
        }
        start = i + 1;
    }
    return true;
}

}  // namespace tq::uninstall
