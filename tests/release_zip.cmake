# Builds the release ZIP in a scratch folder and checks what it holds.
# cmake -DBINARY_DIR=... -DWORK_DIR=... -P release_zip.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} -G ZIP -B "${WORK_DIR}"
                        --config "${BINARY_DIR}/CPackConfig.cmake"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cpack failed:\n${out}")
endif()
file(GLOB zips "${WORK_DIR}/*.zip")
list(LENGTH zips count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one ZIP, found: ${zips}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zips}
                RESULT_VARIABLE rc OUTPUT_VARIABLE listing)
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" entries "${listing}")
list(FILTER entries EXCLUDE REGEX "/$")
list(SORT entries)
set(expected "Kalv-${VERSION}-win64/Kalv.exe;Kalv-${VERSION}-win64/Kalv.ini;Kalv-${VERSION}-win64/README.txt")
if(NOT entries STREQUAL expected)
    message(FATAL_ERROR "ZIP holds:\n${entries}\nexpected:\n${expected}")
endif()
# The settings file inside must be the shipped one, byte for byte.
file(ARCHIVE_EXTRACT INPUT ${zips} DESTINATION "${WORK_DIR}/x")
file(SHA256 "${WORK_DIR}/x/Kalv-${VERSION}-win64/Kalv.ini" inside)
file(SHA256 "${SOURCE_DIR}/game/Kalv.ini" shipped)
if(NOT inside STREQUAL shipped)
    message(FATAL_ERROR "Kalv.ini in the ZIP differs from game/Kalv.ini")
endif()
message(STATUS "release ZIP ${zips}: ${entries}")
