# Runs one golden scenario through q71-host and compares its output with the expected file, times
# included: the run is on the virtual clock, so they are exact.
#   cmake -DPROGRAM=q71-host -DSCENARIO=NAME.q71 -DEXPECTED=NAME.jsonl [-DUPDATE=ON] -P run_golden.cmake
# The output is the JSON Lines, or with -DTIMELINE=ON the timeline, whose first line names the
# program's version (-DVERSION), the scenario and the plugin (-DPLUGIN): the expected file holds
# them as VERSION and the two file names, so that it does not depend on where the build lives.
# With UPDATE=ON the expected file is rewritten from the run instead; whatever it then says must be
# checked against what the headset should do before it is committed.
foreach(var PROGRAM SCENARIO EXPECTED)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "run_golden.cmake: ${var} is not set")
    endif()
endforeach()

if(TIMELINE)
    set(format)
else()
    set(format --json)
endif()
execute_process(
    COMMAND ${PROGRAM} ${format} --locale en-US ${SCENARIO}
    OUTPUT_VARIABLE actual
    ERROR_VARIABLE errors
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "q71-host exited with ${status}:\n${errors}")
endif()
if(NOT errors STREQUAL "")
    message(FATAL_ERROR "q71-host wrote to standard error:\n${errors}")
endif()
if(TIMELINE)
    get_filename_component(scenarioName ${SCENARIO} NAME)
    get_filename_component(pluginName ${PLUGIN} NAME)
    string(REPLACE "q71-host ${VERSION}: ${SCENARIO} " "q71-host VERSION: ${scenarioName} " actual "${actual}")
    string(REPLACE ", plugin ${PLUGIN}\n" ", plugin ${pluginName}\n" actual "${actual}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/../common/compare_golden.cmake)
q71_compare_golden("${actual}" ${EXPECTED} "the trace")
