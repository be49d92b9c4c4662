#include "install/engine/progress.h"

#include "install/engine/install_log.h"
#include "install/system/platform_class.h"

namespace tq {

int StepCount(int platformClass) {
    switch (platformClass) {
        case Platform9x:
            return 37;
        case PlatformNt4:
            return 68;
        case Platform2000:
        case PlatformXp:
        case PlatformVista:
            return 48;
        default:
            return 0;
    }
}

bool LogStep(InstallJob& job, std::string_view step, bool ok) {
    return job.log != nullptr ? job.log->Step(step, ok) : ok;
}

void LogLine(InstallJob& job, std::string_view text) {
    if (job.log != nullptr) job.log->Line(text);
}

void LogFailure(InstallJob& job, std::string_view step, std::uint32_t error) {
    if (job.log != nullptr) job.log->Failure(step, error);
}

}  // namespace tq
