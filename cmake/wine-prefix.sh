# Sourced by cmake/wine-run.sh and play.sh: whether a Wine prefix must be made
# anew before use.
#
# A prefix made while Wine had no 32-bit half (Debian's package wine32) has none
# of the 32-bit system files. Once that half is installed, every program in
# such a prefix, 64-bit ones too, fails to start ("could not load kernel32.dll,
# status c0000135"), so the prefix has to be made again.
kalv_prefix_is_stale() {
    [ -f "$1/system.reg" ] || return 1
    [ -x /usr/lib/wine/wine ] || return 1 # no 32-bit Wine: nothing missing
    [ ! -e "$1/drive_c/windows/syswow64/kernel32.dll" ]
}
