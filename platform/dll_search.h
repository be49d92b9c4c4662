#pragma once

namespace tq {

// Keeps libraries loaded by bare name out of the current directory: only the program's own
// folder and the system folder are searched. Called first thing at start-up.
void NarrowDllSearchPath();

}  // namespace tq
