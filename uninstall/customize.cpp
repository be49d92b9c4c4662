#include "uninstall/customize.h"

namespace tq::uninstall {

namespace {

// `path` cut after its last backslash (the backslash kept); empty when it has none.
std::string UpToLastBackslash(const std::string& path) {
    const auto cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace

CustomizePaths ComputeCustomizePaths(const std::string& moduleFileName,
                                     const std::string& windowsDirectory, ProfileStrings& profile) {
    CustomizePaths paths;
    paths.localFile = UpToLastBackslash(moduleFileName) + kCustomizeFileName;
    // C:\WINDOWS cut after its last backslash leaves the drive's root, C:\.
    paths.installFolder = UpToLastBackslash(windowsDirectory) +
                          ReadCustomize(profile, paths.localFile, keys::kInstallPath);
    paths.installedFile = paths.installFolder + "\\" + kCustomizeFileName;
    return paths;
}

std::string ReadCustomize(ProfileStrings& profile, const std::string& file,
                          const CustomizeKey& key) {
    return profile.ReadStringOr(file, key.section, key.key, key.defaultValue,
                                kCustomizeValueBuffer);
}

}  // namespace tq::uninstall
