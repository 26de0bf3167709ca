# The release. Kalv.exe, read with objdump, is a GUI program in the build's PE
# format, with ASLR and DEP, that imports only system DLLs and carries the icon
# groups "A" and 101. The ZIP holds it, the shipped Kalv.ini and the readme, in
# that order, both texts with Windows line ends and the readme marked as UTF-8
# for Notepad. And the sources, copied to another folder and built afresh with
# the build's preset, give the same ZIP, byte for byte, and so the same
# Kalv.exe in it.
#   cmake -DSOURCE_DIR=... -DBINARY_DIR=... -DWORK_DIR=... -DNAME=Kalv-1.0.0-win64
#         -DOBJDUMP=x86_64-w64-mingw32-objdump -DFORMAT=PEI-X86-64 -DPRESET=windows
#         -P release.cmake
execute_process(COMMAND ${OBJDUMP} -p ${BINARY_DIR}/Kalv.exe OUTPUT_VARIABLE dump COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "file format [^\n]+|Subsystem\t[^\n]+|DYNAMIC_BASE|NX_COMPAT|DLL Name: [^\n]+|ID: 0x00000e|name: [^\n]*: A,|ID: 0x000065" found "${dump}")
string(TOUPPER "${found}" found)
if(NOT found STREQUAL "FILE FORMAT ${FORMAT};SUBSYSTEM\t\t00000002\t(WINDOWS GUI);DYNAMIC_BASE;NX_COMPAT;DLL NAME: GDI32.DLL;DLL NAME: KERNEL32.DLL;DLL NAME: MSVCRT.DLL;DLL NAME: USER32.DLL;ID: 0X00000E;NAME: [VAL: 80000130 LEN 1]: A,;ID: 0X000065")
    message(FATAL_ERROR "Kalv.exe: ${found}")
endif()
set(ENV{SOURCE_DATE_EPOCH} 1700000000) # the copy is no git checkout
file(REMOVE_RECURSE ${WORK_DIR})
file(COPY ${SOURCE_DIR}/ DESTINATION ${WORK_DIR}/source PATTERN .git EXCLUDE PATTERN build EXCLUDE)
foreach(step "-DEXE=${BINARY_DIR}/Kalv.exe;-DSOURCE_DIR=${SOURCE_DIR};-DOUT_DIR=${WORK_DIR};-DNAME=${NAME};-P;${SOURCE_DIR}/packaging/make_zip.cmake"
             "-S;${WORK_DIR}/source;-B;${WORK_DIR}/build;--preset;${PRESET};-DKALV_TESTS=OFF"
             "--build;${WORK_DIR}/build;--target;package;-j;2")
    execute_process(COMMAND ${CMAKE_COMMAND} ${step} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${WORK_DIR}/${NAME}.zip OUTPUT_VARIABLE entries)
file(ARCHIVE_EXTRACT INPUT ${WORK_DIR}/${NAME}.zip DESTINATION ${WORK_DIR}/x)
file(READ ${WORK_DIR}/x/${NAME}/README.txt readme HEX)
file(READ ${WORK_DIR}/x/${NAME}/Kalv.ini ini HEX)
# In hex, two digits a byte, each followed here by a space: the readme's UTF-8
# mark, texts that end in CRLF, and no CR without an LF after it nor an LF
# without a CR before it. (One pattern that walked the whole hex byte by byte
# would recurse once a byte in CMake's regex engine: a readme of 27 KB
# overflowed its stack.)
string(REGEX REPLACE "(..)" "\\1 " bytes "${readme}${ini}")
if(NOT entries STREQUAL "${NAME}/Kalv.exe\n${NAME}/Kalv.ini\n${NAME}/README.txt\n"
   OR NOT bytes MATCHES "^ef bb bf .*0d 0a $" OR bytes MATCHES "0d ([^0]|0[^a])|([^0].|.[^d]) 0a ")
    message(FATAL_ERROR "The ZIP holds (README.txt with the UTF-8 mark, both texts with CRLF):\n${entries}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files --ignore-eol ${WORK_DIR}/x/${NAME}/Kalv.ini ${SOURCE_DIR}/game/Kalv.ini COMMAND_ERROR_IS_FATAL ANY)
# The ZIP holds the Kalv.exe built here, and the rebuilt ZIP is the same: the
# rebuilt Kalv.exe in it is the same too.
foreach(pair "x/${NAME}/Kalv.exe;${BINARY_DIR}/Kalv.exe" "build/${NAME}.zip;${WORK_DIR}/${NAME}.zip")
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/${pair} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
