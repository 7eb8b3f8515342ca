# 32-bit Windows, the reference target, with Debian's mingw-w64.
#   cmake --preset mingw32      (or this file as CMAKE_TOOLCHAIN_FILE)
# Tests run under 32-bit Wine through CTest's crosscompiling emulator; a
# kernel without 32-bit support cannot run them.
set(MORVEL_MINGW_TRIPLE i686-w64-mingw32)
set(MORVEL_WINE_LOADER_NAME wine)
set(MORVEL_WINE_SERVER_NAME wineserver32)
set(MORVEL_WINEARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
