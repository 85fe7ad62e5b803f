# The Windows ZIP as a user meets it: made by cpack, unpacked, its layout checked, and q71-host.exe
# run from it under Wine with nothing on WINEPATH, so that every DLL it loads, the plugin found in
# its default place included, comes from the ZIP. The run is the demo, checked against its golden.
#   cmake -DCPACK=cpack -DBUILD_DIR=... -DWORK_DIR=... -DWINE=wine64 -DSCENARIO=demo.q71
#         -DEXPECTED=demo.jsonl -P run_package.cmake
cmake_policy(VERSION 3.19)
foreach(var CPACK BUILD_DIR WORK_DIR WINE SCENARIO EXPECTED)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "run_package.cmake: ${var} is not set")
    endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CPACK} -G ZIP --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}
    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
file(GLOB zips ${WORK_DIR}/*.zip)
list(LENGTH zips count)
if(NOT status EQUAL 0 OR NOT count EQUAL 1)
    message(FATAL_ERROR "cpack made ${count} ZIP files, exit ${status}:\n${output}")
endif()
file(ARCHIVE_EXTRACT INPUT ${zips} DESTINATION ${WORK_DIR}/unpacked)
file(GLOB top LIST_DIRECTORIES true ${WORK_DIR}/unpacked/*)
list(LENGTH top count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "the ZIP holds ${count} top folders, not one: ${top}")
endif()

set(required
    bin/q71-host.exe bin/Nexaro.dll bin/Qt6Core.dll bin/Qt6Xml.dll
    bin/libstdc++-6.dll bin/libgcc_s_seh-1.dll bin/libwinpthread-1.dll
    plugins/Q71Device.dll plugins/Device_Manifest.xml)
foreach(file ${required})
    if(NOT EXISTS ${top}/${file})
        file(GLOB_RECURSE held RELATIVE ${top} ${top}/*)
        message(FATAL_ERROR "the ZIP has no ${file}; it holds:\n${held}")
    endif()
endforeach()

execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=WINEPATH
        ${WINE} ${top}/bin/q71-host.exe --json --check ${EXPECTED} --locale en-US ${SCENARIO}
    OUTPUT_VARIABLE actual ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT errors STREQUAL "")
    message(FATAL_ERROR "q71-host.exe from the ZIP exited with ${status}:\n${errors}")
endif()
