# Cross-compiles for 64-bit Windows with Debian's MinGW-w64, the posix flavour
# (g++-mingw-w64-x86-64-posix), whose standard library has std::thread and std::mutex.
# Used by scripts/test-windows-core, which builds the engine and its tests with
# TARNWICK_CORE_ONLY and runs them under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TARNWICK_MINGW_TRIPLE x86_64-w64-mingw32)
# GoogleTest's own CMake needs a C compiler as well.
set(CMAKE_C_COMPILER ${TARNWICK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARNWICK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TARNWICK_MINGW_TRIPLE}-windres)

# Libraries, headers and CMake packages come from the MinGW tree only, never from the host's
# Linux ones; programs (the build tools) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TARNWICK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime, libgcc and winpthread linked into each program, so that an .exe runs on
# Windows or under Wine without MinGW's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The test programs run under Wine: gtest_discover_tests lists their cases with it when they
# are built, and ctest runs them with it. Debian 12 keeps wine64 out of the PATH.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(TARNWICK_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
  if(TARNWICK_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TARNWICK_WINE64})
  endif()
endif()
