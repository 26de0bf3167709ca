# Runs one fuzzer for a bounded time over a fresh copy of its seed corpus, with
# crash files kept in the build tree. Fails when the fuzzer reports anything.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(GLOB seeds ${CORPUS}/*)
file(COPY ${seeds} DESTINATION ${WORK}/corpus)
execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -runs=50000000 -max_len=4096 -timeout=10
            -rss_limit_mb=1024 -dict=${DICT} -print_final_stats=1 -artifact_prefix=${WORK}/artifacts/
            ${WORK}/corpus
    RESULT_VARIABLE result)
file(GLOB findings ${WORK}/artifacts/*)
if(NOT result EQUAL 0 OR findings)
    message(FATAL_ERROR "fuzzer failed (exit ${result}); findings: ${findings}")
endif()
