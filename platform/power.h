// Restarting Windows.
#pragma once

namespace tq {

class Power {
  public:
    virtual ~Power() = default;
    // Enables SeShutdownPrivilege in the process's token (OpenProcessToken, LookupPrivilegeValueA,
    // AdjustTokenPrivileges). True when AdjustTokenPrivileges returned true.
    virtual bool EnableShutdownPrivilege() = 0;
    // ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0): every program is closed without being asked.
    virtual bool RebootForced() = 0;
};

}  // namespace tq
