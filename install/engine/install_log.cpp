#include "install/engine/install_log.h"

#include "install/model.h"

namespace tq {

void InstallLog::Header(std::string_view mode, int platformClass, int processorClass,
                        const std::vector<std::string>& options) {
    std::string text = "TQ82Ins.exe ";
    text += kInstallerVersion;
    text += ", ";
    text += mode;
    text += ", platform class " + std::to_string(platformClass) + ", processor class " +
            std::to_string(processorClass);
    RunLog::Header(text, options);
}

}  // namespace tq
