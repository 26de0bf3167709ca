# Cross toolchain: MinGW-w64 for 32-bit Windows (x86), as packaged by Debian.
# The "posix" thread model, since GoogleTest needs std::mutex. A 32-bit
# Kalv.exe runs on every Windows: 32-bit ones, 64-bit ones and Windows on ARM.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(KALV_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${KALV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KALV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KALV_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KALV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
