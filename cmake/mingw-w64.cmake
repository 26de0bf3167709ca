# What both MinGW-w64 toolchain files share, once they have set
# CMAKE_SYSTEM_PROCESSOR and KALV_MINGW_PREFIX (the compilers' name prefix, as
# Debian packages them). The "posix" thread model, since GoogleTest needs
# std::mutex.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KALV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KALV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KALV_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KALV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
