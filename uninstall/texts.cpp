#include "uninstall/texts.h"

namespace tq::uninstall {

std::string InsertText(const std::string& pattern, const std::string& value) {
    const auto at = pattern.find("%s");
    if (at == std::string::npos) return pattern;
    std::string text = pattern;
    text.replace(at, 2, value);
    return text;
}

DialogTexts ReadDialogTexts(ProfileStrings& profile, const CustomizePaths& paths) {
    const std::string& file = paths.installedFile;
    DialogTexts texts;
    texts.title = ReadCustomize(profile, file, keys::kMainTitle);
    texts.info = ReadCustomize(profile, file, keys::kInfo);
    texts.aboutMenuEntry =
        InsertText(kAboutMenuPattern, ReadCustomize(profile, file, keys::kUninstallFile));
    return texts;
}

AboutTexts ReadAboutTexts(ProfileStrings& profile, const CustomizePaths& paths) {
    const std::string& file = paths.localFile;
    AboutTexts texts;
    texts.title = ReadCustomize(profile, file, keys::kAboutTitle);
    texts.nameAndVersion = ReadCustomize(profile, file, keys::kUninstallFile) + " " +
                           ReadCustomize(profile, file, keys::kVersion);
    texts.copyright = ReadCustomize(profile, file, keys::kAboutCopyright);
    return texts;
}

}  // namespace tq::uninstall
