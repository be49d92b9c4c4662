// The account this process runs under.
#pragma once

namespace tq {

// True when the process's token names LocalSystem (S-1-5-18), as a deployment tool's run does.
// False where there is no token to read (Windows 9x) or it cannot be read.
bool RunsAsLocalSystem();

}  // namespace tq
