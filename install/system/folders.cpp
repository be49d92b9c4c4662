#include "install/system/folders.h"

namespace tq {

std::string SourceFolderOf(std::string_view modulePath,
                           const std::function<bool(unsigned char)>& isLeadByte) {
    // Backslash bytes can be trail bytes of double-byte characters: walk by character.
    std::size_t cut = std::string_view::npos;
    for (std::size_t i = 0; i < modulePath.size(); ++i) {
        const auto c = static_cast<unsigned char>(modulePath[i]);
        if (isLeadByte(c) && i + 1 < modulePath.size()) {
            ++i;
            continue;
        }
        if (c == '\\') cut = i;
    }
    if (cut == std::string_view::npos) return {};
    return std::string(modulePath.substr(0, cut + 1));
}

std::string SourceFolder(SystemPaths& paths) {
    return SourceFolderOf(paths.ModuleFileName(),
                          [&paths](unsigned char c) { return paths.IsLeadByte(c); });
}

std::string ProgramFolderOf(std::string_view windowsDirectory, std::string_view printerName) {
    if (windowsDirectory.size() < 3) return {};
    std::string folder(windowsDirectory.substr(0, 3));
    folder += "Program Files\\Kestra\\";
    folder += printerName;
    return folder;
}

}  // namespace tq
