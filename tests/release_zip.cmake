# The release: the ZIP holds Kalv.exe, the shipped Kalv.ini and the readme, in
# that order; and the sources, copied to another folder and built afresh, give
# the same Kalv.exe and the same ZIP, byte for byte.
# cmake -DSOURCE_DIR=... -DBINARY_DIR=... -DWORK_DIR=... -DNAME=Kalv-1.0.0-win64 -P release_zip.cmake
set(ENV{SOURCE_DATE_EPOCH} 1700000000)  # the copy is no git checkout
file(REMOVE_RECURSE "${WORK_DIR}")
macro(run what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${what} failed:\n${out}")
    endif()
endmacro()
function(same a b)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${a}" "${b}" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${a} and ${b} differ")
    endif()
endfunction()

# The main build's Kalv.exe, packed the way the package target packs it.
run("packing" ${CMAKE_COMMAND} -DEXE=${BINARY_DIR}/Kalv.exe -DSOURCE_DIR=${SOURCE_DIR}
    -DOUT_DIR=${WORK_DIR} -DNAME=${NAME} -P ${SOURCE_DIR}/packaging/make_zip.cmake)
set(zip "${WORK_DIR}/${NAME}.zip")
run("listing" ${CMAKE_COMMAND} -E tar tf ${zip})
set(expected "${NAME}/Kalv.exe\n${NAME}/Kalv.ini\n${NAME}/README.txt\n")
if(NOT out STREQUAL expected)
    message(FATAL_ERROR "ZIP holds:\n${out}expected:\n${expected}")
endif()
file(ARCHIVE_EXTRACT INPUT ${zip} DESTINATION "${WORK_DIR}/x")
same("${WORK_DIR}/x/${NAME}/Kalv.exe" "${BINARY_DIR}/Kalv.exe")
same("${WORK_DIR}/x/${NAME}/Kalv.ini" "${SOURCE_DIR}/game/Kalv.ini")
same("${WORK_DIR}/x/${NAME}/README.txt" "${SOURCE_DIR}/packaging/README.txt")

# A second build: other source and build folders, a later time, no tests.
file(COPY ${SOURCE_DIR}/CMakeLists.txt ${SOURCE_DIR}/CMakePresets.json ${SOURCE_DIR}/cmake
     ${SOURCE_DIR}/src ${SOURCE_DIR}/resources ${SOURCE_DIR}/game ${SOURCE_DIR}/packaging
     ${SOURCE_DIR}/bench DESTINATION "${WORK_DIR}/source")
run("configuring the copy" ${CMAKE_COMMAND} -S "${WORK_DIR}/source" -B "${WORK_DIR}/build"
    --preset windows -DKALV_TESTS=OFF)
run("building the copy's package" ${CMAKE_COMMAND} --build "${WORK_DIR}/build" --target package -j 2)
same("${WORK_DIR}/build/Kalv.exe" "${BINARY_DIR}/Kalv.exe")
same("${WORK_DIR}/build/${NAME}.zip" "${zip}")
