# Fails when a release program imports a function that Windows XP lacks: such a program does not
# start there at all. Anything newer must be looked up at run time with GetProcAddress.
#   cmake -DOBJDUMP=<objdump> -DPROGRAM=<exe or dll> -P check_imports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE table RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${PROGRAM}")
endif()
set(newer
  GetTickCount64 InitializeSRWLock AcquireSRWLockExclusive AcquireSRWLockShared
  InitializeConditionVariable SleepConditionVariableCS WakeConditionVariable WakeAllConditionVariable
  InitOnceExecuteOnce InitOnceBeginInitialize FlsAlloc FlsGetValue FlsSetValue FlsFree
  GetNativeSystemInfo SetDefaultDllDirectories SetDllDirectoryA Wow64DisableWow64FsRedirection
  Wow64RevertWow64FsRedirection CreateSymbolicLinkA GetFinalPathNameByHandleA)
foreach(fn ${newer})
  if(table MATCHES "[ \t]${fn}\n")
    message(FATAL_ERROR "${PROGRAM} imports ${fn}, which older Windows lacks: look it up at run time")
  endif()
endforeach()
