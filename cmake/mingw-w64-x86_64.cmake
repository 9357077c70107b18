# Cross-building for 64-bit Windows with Debian's MinGW-w64 (the POSIX threads
# variant, whose C++ library has std::thread and std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MORVICK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MORVICK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MORVICK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MORVICK_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MORVICK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program runs alone: the C and C++ runtimes and winpthread linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The programs the tests run are run under Wine.
find_program(MORVICK_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(MORVICK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MORVICK_WINE})
endif()
