// The bench programs' command line: --name=value arguments.
#pragma once

#include <string>

namespace tq::bench {

// The value of --name=value, empty when it is not given.
inline std::string Argument(int argc, char** argv, const std::string& name) {
    const std::string prefix = "--" + name + "=";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind(prefix, 0) == 0) return arg.substr(prefix.size());
    }
    return {};
}

}  // namespace tq::bench
