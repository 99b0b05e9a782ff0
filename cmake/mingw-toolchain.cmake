# MinGW-w64 toolchain: builds the framework and its programs as native Windows
# (PE) executables with Debian's x86_64-w64-mingw32 cross compilers (posix
# threads flavour), linked statically against the MinGW runtime so that they
# need no DLLs beside them. On Linux, Wine runs them as Windows would.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(NBX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${NBX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NBX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${NBX_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${NBX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Tests and benchmarks run the programs through Wine.
find_program(NBX_WINE NAMES wine)
if(NBX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NBX_WINE})
endif()
