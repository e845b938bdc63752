# Lists the test functions of a QtTest program (PROGRAM -functions, on the offscreen platform)
# and writes OUTPUT: one CTest test per function, named PREFIX.function, so that a failure
# names the function that broke. Run after each build of the program.
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${PROGRAM} -functions
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} -functions failed (${result}):\n${errors}")
endif()

string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*\\(\\)" functions "${listing}")
if(NOT functions)
    message(FATAL_ERROR "${PROGRAM} -functions listed no test function:\n${listing}")
endif()
set(script "")
foreach(function IN LISTS functions)
    string(REPLACE "()" "" function "${function}")
    string(APPEND script
           "add_test([=[${PREFIX}.${function}]=] [=[${PROGRAM}]=] [=[${function}]=])\n"
           "set_tests_properties([=[${PREFIX}.${function}]=] PROPERTIES "
           "ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT ${TIMEOUT})\n")
endforeach()
file(WRITE ${OUTPUT} "${script}")
