# 64-bit Windows with Debian's mingw-w64.
#   cmake --preset mingw64      (or this file as CMAKE_TOOLCHAIN_FILE)
# Built with warnings as errors; its tests need a 64-bit Wine (wine64).
set(MORVEL_MINGW_TRIPLE x86_64-w64-mingw32)
set(MORVEL_WINE_CANDIDATES wine64)
set(MORVEL_WINEARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
