# Shared by the mingw-w64 toolchain files; they set MORVEL_MINGW_TRIPLE,
# MORVEL_WINE_LOADER_NAME, MORVEL_WINE_SERVER_NAME and MORVEL_WINEARCH first.
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

# The cross binutils by name: the compilers' -posix suffix hides the prefix
# from CMake's own search, which would settle for the host's tools. CPack
# strips the archive's program with this strip; the import test reads it
# with this objdump.
find_program(CMAKE_STRIP NAMES ${MORVEL_MINGW_TRIPLE}-strip REQUIRED)
find_program(CMAKE_OBJDUMP NAMES ${MORVEL_MINGW_TRIPLE}-objdump REQUIRED)

# Tests run under Wine, quiet, headless and in a prefix of the build tree's
# own, so nothing depends on a user's ~/.wine or environment; each
# architecture has its own build tree, hence its own prefix. Wine maps
# Windows file names to Linux ones through the locale: a plain C locale
# would turn every name outside ASCII into something else.
#
# The loader and the server of this architecture are named, never Debian's
# `wine` and `wineserver` wrappers: those take the 32-bit loader whenever
# wine32 is installed, whether or not the kernel can run it. WINELOADER and
# WINESERVER tell Wine the same for what it starts itself. Another Wine:
# -DMORVEL_WINE_LOADER=... -DMORVEL_WINE_SERVER=...
find_program(MORVEL_WINE_LOADER NAMES ${MORVEL_WINE_LOADER_NAME} PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(MORVEL_WINE_SERVER NAMES ${MORVEL_WINE_SERVER_NAME} PATHS /usr/lib/wine NO_DEFAULT_PATH)
#
# Debian's Wine comes without its preloader, which would reserve the
# addresses Wine needs before anything else is mapped. With address-space
# randomization a process then now and then finds one taken and dies at
# start ("failed to map the shared user data"), and a converter under test
# never ran. setarch -R turns the randomization off
# for Wine and all it starts, so the layout is the same every time; where
# the kernel or a container refuses that, Wine runs as before.
if(NOT DEFINED MORVEL_WINE_FIXED_LAYOUT)
  set(MORVEL_WINE_FIXED_LAYOUT "")
  find_program(MORVEL_SETARCH setarch)
  if(MORVEL_SETARCH)
    execute_process(COMMAND ${MORVEL_SETARCH} -R true RESULT_VARIABLE setarch_status
                    OUTPUT_QUIET ERROR_QUIET)
    if(setarch_status EQUAL 0)
      set(MORVEL_WINE_FIXED_LAYOUT ${MORVEL_SETARCH} -R)
    endif()
  endif()
  set(MORVEL_WINE_FIXED_LAYOUT "${MORVEL_WINE_FIXED_LAYOUT}" CACHE STRING
      "Command words that run Wine without address-space randomization")
endif()
if(MORVEL_WINE_LOADER AND MORVEL_WINE_SERVER)
  set(MORVEL_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(MORVEL_WINE_ENV
      ${MORVEL_WINE_FIXED_LAYOUT} /usr/bin/env -u DISPLAY -u WAYLAND_DISPLAY LC_ALL=C.UTF-8
      WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=,winemenubuilder.exe=d
      WINEPREFIX=${MORVEL_WINE_PREFIX} WINEARCH=${MORVEL_WINEARCH}
      WINELOADER=${MORVEL_WINE_LOADER} WINESERVER=${MORVEL_WINE_SERVER})
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MORVEL_WINE_ENV} ${MORVEL_WINE_LOADER})
endif()
