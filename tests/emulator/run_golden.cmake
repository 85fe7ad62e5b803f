# Runs one golden scenario through q71-host and checks its output, times included: the run is on the
# virtual clock, so they are exact.
#   cmake -DPROGRAM=q71-host -DSCENARIO=NAME.q71 [-DEXPECTED=NAME.jsonl] [-DSTRICT=ON] [-DUPDATE=ON]
#         -P run_golden.cmake
# Without EXPECTED the scenario's own expect lines are the check (with STRICT=ON, --strict too).
# With it the JSON Lines must be those of the file (q71-host --check), or with -DTIMELINE=ON the
# timeline, whose first line names the program's version (-DVERSION), the scenario and the plugin
# (-DPLUGIN): the expected file holds them as VERSION and the two file names, so that it does not
# depend on where the build lives. With UPDATE=ON the expected file is rewritten from the run
# instead; whatever it then says must be checked against what the headset should do before it is
# committed.
# With -DEMULATOR the program runs under it (a cross-built q71-host.exe under Wine). With
# -DWINDOWS=ON the program is a Windows one: its lines end in CR LF, and it names the plugin with a
# drive and as a .dll; those, and nothing else, are read as the Linux build writes them.
foreach(var PROGRAM SCENARIO)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "run_golden.cmake: ${var} is not set")
    endif()
endforeach()

set(checks)
if(STRICT)
    list(APPEND checks --strict)
endif()
if(NOT DEFINED EXPECTED)
    set(format --quiet)
elseif(TIMELINE)
    set(format)
else()
    set(format --json)
    if(NOT UPDATE)
        list(APPEND checks --check ${EXPECTED})
    endif()
endif()
execute_process(
    COMMAND ${EMULATOR} ${PROGRAM} ${format} ${checks} --locale en-US ${SCENARIO}
    OUTPUT_VARIABLE actual
    ERROR_VARIABLE errors
    RESULT_VARIABLE status)
if(WINDOWS)
    string(REPLACE "\r\n" "\n" actual "${actual}")
    string(REPLACE "\r\n" "\n" errors "${errors}")
endif()
if(NOT status EQUAL 0)
    message(FATAL_ERROR "q71-host exited with ${status}:\n${errors}")
endif()
if(NOT errors STREQUAL "")
    message(FATAL_ERROR "q71-host wrote to standard error:\n${errors}")
endif()
if(NOT DEFINED EXPECTED)
    return()
endif()
# --check compared the JSON Lines line by line as the run made them; the output itself must be the
# file too, byte for byte.
if(TIMELINE)
    get_filename_component(scenarioName ${SCENARIO} NAME)
    get_filename_component(pluginName ${PLUGIN} NAME)
    set(shownPlugin ${PLUGIN})
    if(WINDOWS)
        string(REGEX MATCH "^[^\n]*, plugin ([A-Za-z]:)" drive "${actual}")
        set(shownPlugin "${CMAKE_MATCH_1}${PLUGIN}")
        string(REGEX REPLACE "\\.dll$" ".so" pluginName ${pluginName})
    endif()
    string(REPLACE "q71-host ${VERSION}: ${SCENARIO} " "q71-host VERSION: ${scenarioName} " actual "${actual}")
    string(REPLACE ", plugin ${shownPlugin}\n" ", plugin ${pluginName}\n" actual "${actual}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/../common/compare_golden.cmake)
q71_compare_golden("${actual}" ${EXPECTED} "the trace")
