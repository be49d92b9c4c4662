# Fails when a release program imports a function that Windows XP lacks: such a program does not
# start there at all. Anything newer must be looked up at run time with GetProcAddress.
# A 32-bit program must also start on Windows 95/98/Me, NT 4.0 and 2000, so it may not import
# what any of those lacks either (the 64-bit helpers only run where all of it exists).
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
if(table MATCHES "file format pei-i386")
  list(APPEND newer
    # kernel32: NT 4.0 has no Toolhelp.
    CreateToolhelp32Snapshot Process32First Process32Next
    # iphlpapi: Windows 95 and NT 4.0 have none.
    GetAdaptersInfo
    # shell32: Windows 95 and NT 4.0 only with the shell of Internet Explorer 4.
    SHGetSpecialFolderPathA
    # winspool: Windows 9x and NT 4.0 lack it.
    XcvDataW
    # comctl32 4.70: Windows 95 and NT 4.0 as first shipped lack it.
    InitCommonControlsEx)
  # Libraries that some of those systems lack altogether: plain Windows 95 has no ws2_32.dll,
  # Windows 95 and NT 4.0 no iphlpapi.dll.
  set(missing_libraries ws2_32.dll iphlpapi.dll)
  string(TOLOWER "${table}" lowered)
  foreach(library ${missing_libraries})
    string(REPLACE "." "\\." pattern "${library}")
    if(lowered MATCHES "dll name: ${pattern}\n")
      message(FATAL_ERROR "${PROGRAM} imports from ${library}, which older Windows lacks: load it at run time")
    endif()
  endforeach()
endif()
foreach(fn ${newer})
  if(table MATCHES "[ \t]${fn}\n")
    message(FATAL_ERROR "${PROGRAM} imports ${fn}, which older Windows lacks: look it up at run time")
  endif()
endforeach()
