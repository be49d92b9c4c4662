#include "uninstall/customize.h"

#include "platform/text.h"

namespace tq::uninstall {

namespace {

// `path` cut after its last backslash (the backslash kept); empty when it has none.
std::string UpToLastBackslash(const std::string& path, const LeadByteRule& isLeadByte) {
    const std::vector<std::string_view> parts = PathComponents(path, isLeadByte);
    if (parts.size() < 2) return {};
    return path.substr(0, path.size() - parts.back().size());
}

}  // namespace

CustomizePaths ComputeCustomizePaths(SystemPaths& system, ProfileStrings& profile) {
    const LeadByteRule isLeadByte = [&system](unsigned char c) { return system.IsLeadByte(c); };
    CustomizePaths paths;
    paths.programFile = system.ModuleFileName();
    const std::string programFolder = UpToLastBackslash(paths.programFile, isLeadByte);
    if (!programFolder.empty()) paths.localFile = programFolder + kCustomizeFileName;
    // C:\WINDOWS cut after its last backslash leaves the drive's root, C:\.
    const std::string root = UpToLastBackslash(system.WindowsDirectory(), isLeadByte);
    const std::string installPath = ReadCustomize(profile, paths.localFile, keys::kInstallPath);
    if (!root.empty() && IsRelativeFolder(installPath, isLeadByte)) {
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

std::vector<std::string_view> PathComponents(std::string_view path,
                                             const LeadByteRule& isLeadByte) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            ++i;
        } else if (path[i] == '\\') {
            parts.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(path.substr(start));
    return parts;
}

bool IsComponentName(std::string_view name, const LeadByteRule& isLeadByte) {
    if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (isLeadByte(c)) {
            // A lead byte at the end would swallow whatever the path joins after it.
            if (i + 1 >= name.size()) return false;
            ++i;
            continue;
        }
        if (c < 0x20 || c == 0x7F) return false;
        // Separators, a drive or a stream, and wildcards.
        if (std::string_view("\\/:*?\"<>|").find(name[i]) != std::string_view::npos) return false;
    }
    return !IsDeviceName(name);
}

bool IsRelativeName(std::string_view path, const LeadByteRule& isLeadByte) {
    for (const std::string_view part : PathComponents(path, isLeadByte)) {
        if (!IsComponentName(part, isLeadByte)) return false;
    }
    return true;
}

bool IsRelativeFolder(std::string_view path, const LeadByteRule& isLeadByte) {
    std::vector<std::string_view> parts = PathComponents(path, isLeadByte);
    if (parts.size() > 1 && parts.back().empty()) parts.pop_back();
    for (const std::string_view part : parts) {
        if (!IsComponentName(part, isLeadByte)) return false;
    }
    return true;
}

}  // namespace tq::uninstall
