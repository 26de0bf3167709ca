# Cross toolchain: MinGW-w64 for 32-bit Windows (x86), as packaged by Debian. A
# 32-bit Kalv.exe runs on every Windows: 32-bit ones, 64-bit ones and Windows
# on ARM.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KALV_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
