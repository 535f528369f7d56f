# Cross-builds for 64-bit Windows with Debian's MinGW-w64 toolchain (posix threads, for std::thread
# and friends). Programs are linked statically, so a single .exe runs on a machine without the
# toolchain's DLLs; tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# KALMORA_WINDOWS_PREFIX holds SQLite and GoogleTest built for Windows (scripts/windows.sh).
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KALMORA_WINDOWS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${KALMORA_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(KALMORA_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KALMORA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KALMORA_WINE})
endif()
