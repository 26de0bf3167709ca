# What Kalv's scripts take from Debian 12, named in one place. Sourced by
# scripts/setup.sh, scripts/i386.sh, test.sh, play.sh and cmake/wine-run.sh.
#
# Named elsewhere, because CMake reads them there: the cross compilers'
# "-posix" names (Debian builds MinGW-w64 twice; those have the C++ threads
# GoogleTest needs) in cmake/mingw-w64.cmake, and the unversioned clang of the
# fuzz preset, whose libFuzzer runtime comes with libclang-rt-14-dev (clang 14
# is Debian 12's) in CMakePresets.json.

# What building the 64-bit Kalv.exe and running it under Wine need: the game
# (play.sh) and the benchmarks. amd64 packages only.
kalv_game_packages=(
    cmake make                     # the build
    g++-mingw-w64-x86-64           # cross compiler and windres for 64-bit Windows
    googletest                     # test framework, built from source (the preset configures the tests)
    wine wine64 xvfb xauth         # running the Windows programs
    fonts-wine                     # Wine's own fonts: the caption buttons' symbols
    xdotool imagemagick            # play.sh's screenshot without a display
)

# What the tests need besides: the native, fuzz and 32-bit builds and the rest.
# amd64 packages only.
kalv_test_packages=(
    g++                            # native build
    g++-mingw-w64-i686             # cross compiler and windres for 32-bit Windows
    fonts-ipafont-gothic           # a Japanese font: the tests' Japanese system has one
    clang libclang-rt-14-dev       # fuzzing
    libfaketime                    # a wall clock that stands still or runs fast, by hand
    zip unzip                      # release packages, and checking them
)

# Wine's 32-bit half, which runs the 32-bit Kalv.exe. Debian builds it for its
# i386 architecture only.
kalv_wine32_package=wine32:i386
# User-mode emulation of i386 programs, for a kernel that runs none itself.
kalv_emulator_package=qemu-user-static
kalv_qemu_i386=/usr/bin/qemu-i386-static

# Wine's loaders. /usr/bin/wine is a script that takes the 32-bit loader
# whenever it is installed, even for a 64-bit program, so each build names its
# own. Its wineserver is always the 64-bit one.
kalv_wine64=/usr/lib/wine/wine64
kalv_wine32=/usr/lib/wine/wine
kalv_wineserver=/usr/lib/wine/wineserver64

# libfaketime for x86_64 programs: the 64-bit Wine. Its i386 build froze the
# 32-bit Wine, so the fake clock is for 64-bit programs only.
kalv_faketime_lib=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1

# Wine's symbol font, which Debian's Wine 8 does not load from its data folder.
kalv_marlett=/usr/share/wine/fonts/marlett.ttf
