# Prints the host contract with q71-contract and compares it with contract.txt: a renamed type, a
# reordered operation, a renamed parameter, a wrong base or version breaks calls by name without any
# compiler noticing, and shows here as a difference.
#   cmake -DPROGRAM=q71-contract -DEXPECTED=contract.txt [-DUPDATE=ON] -P run_golden.cmake
# With UPDATE=ON the expected file is rewritten from the program instead: a change of the contract,
# which host and plugin must both make.
foreach(var PROGRAM EXPECTED)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "run_golden.cmake: ${var} is not set")
    endif()
endforeach()

execute_process(COMMAND ${PROGRAM} OUTPUT_VARIABLE actual ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT errors STREQUAL "")
    message(FATAL_ERROR "q71-contract exited with ${status}:\n${errors}")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/../common/compare_golden.cmake)
q71_compare_golden("${actual}" ${EXPECTED} "the contract")
