# Makes the release ZIP so that every build of one commit gives the same bytes:
# the entries in a fixed order, each with fixed permissions and the commit's
# time, and none of the extra fields (owner, access and change times) in which
# two builders' ZIPs would differ.
#
#   cmake -DEXE=Kalv.exe -DSOURCE_DIR=... -DOUT_DIR=... -DNAME=Kalv-1.0.0-win64
#         -P make_zip.cmake
#
# The entries' time is SOURCE_DATE_EPOCH when set, else the time of the commit
# checked out in SOURCE_DIR.
foreach(var EXE SOURCE_DIR OUT_DIR NAME)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "make_zip.cmake: -D${var}=... is required")
    endif()
endforeach()
find_program(ZIP zip)
find_program(TOUCH touch)
if(NOT ZIP OR NOT TOUCH)
    message(FATAL_ERROR "The release ZIP needs Info-ZIP's zip and touch (scripts/setup.sh installs them)")
endif()

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
    execute_process(COMMAND git -C "${SOURCE_DIR}" log -1 --format=%ct
                    RESULT_VARIABLE rc OUTPUT_VARIABLE epoch ERROR_QUIET
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT rc EQUAL 0)
        set(epoch "")
    endif()
endif()
# Stored as a DOS time, which starts in 1980.
if(NOT epoch MATCHES "^[0-9]+$" OR epoch LESS 315532800)
    message(FATAL_ERROR "The release ZIP takes its time from the commit: build from a git "
                        "checkout, or set SOURCE_DATE_EPOCH to seconds since 1970 (from 1980 on), "
                        "not '${epoch}'")
endif()

set(stage "${OUT_DIR}/${NAME}")
file(REMOVE_RECURSE "${stage}" "${OUT_DIR}/${NAME}.zip")
file(COPY "${EXE}" DESTINATION "${stage}" FILE_PERMISSIONS
     OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The texts are read in Notepad, so they go out with CRLF line ends whatever
# the checkout has: Notepad before Windows 10 shows bare LFs as one long line.
# The readme starts with UTF-8's byte-order mark, by which every Notepad from
# Windows 7 on reads its Czech as UTF-8 rather than guessing the system's code
# page. Kalv.ini gets no mark: Kalv refuses a settings file that starts with one.
string(ASCII 239 187 191 bom)
function(copy_text source mark)
    file(READ "${source}" text)
    string(REGEX REPLACE "^${bom}" "" text "${text}")
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    get_filename_component(name "${source}" NAME)
    file(WRITE "${stage}/${name}" "${mark}${text}")
    file(CHMOD "${stage}/${name}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()
copy_text("${SOURCE_DIR}/game/Kalv.ini" "")
copy_text("${SOURCE_DIR}/packaging/README.txt" "${bom}")
set(entries "${NAME}/Kalv.exe" "${NAME}/Kalv.ini" "${NAME}/README.txt")
execute_process(COMMAND "${TOUCH}" -d "@${epoch}" ${entries} WORKING_DIRECTORY "${OUT_DIR}"
                RESULT_VARIABLE rc)
# -X: no extra fields; -D: no directory entries. A DOS time is local time, so
# the zone is fixed.
if(rc EQUAL 0)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC "${ZIP}" -X -D -q -9 "${NAME}.zip" ${entries}
                    WORKING_DIRECTORY "${OUT_DIR}" RESULT_VARIABLE rc)
endif()
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "making ${OUT_DIR}/${NAME}.zip failed")
endif()
file(REMOVE_RECURSE "${stage}")
message(STATUS "Release package: ${OUT_DIR}/${NAME}.zip")
