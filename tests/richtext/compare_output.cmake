# Runs PROGRAM (under EMULATOR, when cross-compiled) with ARGS (a ;-list) and compares its standard output with the file EXPECTED,
# byte for byte.
execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${ARGS}
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ${ARGS} failed (${status}): ${errors}")
endif()
file(READ ${EXPECTED} expected)
if(NOT output STREQUAL expected)
    message(FATAL_ERROR "${PROGRAM} ${ARGS} wrote:\n${output}\nexpected (${EXPECTED}):\n${expected}")
endif()
