# Runs one golden scenario through q71-host and compares its JSON Lines with the expected file,
# times included: the run is on the virtual clock, so they are exact.
#   cmake -DPROGRAM=q71-host -DSCENARIO=NAME.q71 -DEXPECTED=NAME.jsonl [-DUPDATE=ON] -P run_golden.cmake
# With UPDATE=ON the expected file is rewritten from the run instead; whatever it then says must be
# checked against what the headset should do before it is committed.
foreach(var PROGRAM SCENARIO EXPECTED)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "run_golden.cmake: ${var} is not set")
    endif()
endforeach()

execute_process(
    COMMAND ${PROGRAM} --json --locale en-US ${SCENARIO}
    OUTPUT_VARIABLE actual
    ERROR_VARIABLE errors
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "q71-host exited with ${status}:\n${errors}")
endif()
if(NOT errors STREQUAL "")
    message(FATAL_ERROR "q71-host wrote to standard error:\n${errors}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/../common/compare_golden.cmake)
q71_compare_golden("${actual}" ${EXPECTED} "the trace")
