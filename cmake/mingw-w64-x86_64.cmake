# Cross toolchain: MinGW-w64 for 64-bit Windows, as packaged by Debian.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KALV_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
