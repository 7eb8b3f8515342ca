# Shared by the mingw-w64 toolchain files; they set MORVEL_MINGW_TRIPLE,
# MORVEL_WINE_CANDIDATES and MORVEL_WINEARCH first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MORVEL_MINGW_TRIPLE})

# The POSIX thread model: GoogleTest needs std::mutex and std::thread, which
# GCC 12's win32 thread model lacks. winpthread is linked statically, like
# the rest. GoogleTest's build enables C as well.
find_program(MORVEL_MINGW_CC NAMES ${MORVEL_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(MORVEL_MINGW_CXX NAMES ${MORVEL_MINGW_TRIPLE}-g++-posix REQUIRED)
set(CMAKE_C_COMPILER ${MORVEL_MINGW_CC})
set(CMAKE_CXX_COMPILER ${MORVEL_MINGW_CXX})
set(CMAKE_RC_COMPILER ${MORVEL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MORVEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe per program: libgcc, libstdc++ and winpthread are
# linked in, so nothing but system DLLs is needed on Windows or under Wine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run under Wine, quiet, headless and in a prefix of the build tree's
# own, so nothing depends on a user's ~/.wine.
find_program(MORVEL_WINE NAMES ${MORVEL_WINE_CANDIDATES} PATHS /usr/lib/wine)
if(MORVEL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      /usr/bin/env -u DISPLAY -u WAYLAND_DISPLAY
      WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=,winemenubuilder.exe=d
      WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEARCH=${MORVEL_WINEARCH}
      ${MORVEL_WINE})
endif()
