# 64-bit Windows with Debian's mingw-w64.
#   cmake --preset mingw64      (or this file as CMAKE_TOOLCHAIN_FILE)
# Tests run under 64-bit Wine through CTest's crosscompiling emulator.
set(MORVEL_MINGW_TRIPLE x86_64-w64-mingw32)
set(MORVEL_WINE_LOADER_NAME wine64)
set(MORVEL_WINE_SERVER_NAME wineserver64)
set(MORVEL_WINEARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
