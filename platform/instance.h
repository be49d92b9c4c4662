// Single-instance marker: a named kernel mutex that lives as long as the process.
#pragma once

namespace tq {

// Creates the named mutex, initially owned, releases the ownership and keeps the handle until
// the process ends. Returns true when the mutex already existed (another instance runs).
// A mutex that cannot be created at all counts as a first instance.
bool InstanceMutexExists(const char* name);

}  // namespace tq
