# The -posix variants for builds with tests: the -win32 ones have no std::mutex, which
# GoogleTest needs. The release build uses -win32: the static posix thread library imports
# GetTickCount64, which Windows XP does not have, so a -posix program does not start there.
set(TQ_MINGW_THREADS "posix" CACHE STRING "MinGW-w64 threading model: posix (tests) or win32 (release)")
set(CMAKE_C_COMPILER ${TQ_MINGW_TRIPLE}-gcc-${TQ_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${TQ_MINGW_TRIPLE}-g++-${TQ_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${TQ_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TQ_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Resource scripts are UTF-8; Windows converts them to the system code page at load time.
set(CMAKE_RC_FLAGS_INIT "-c 65001")

# No MinGW runtime DLLs beside the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
