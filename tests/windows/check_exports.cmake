# What the Windows DLLs show a loader, read with objdump -p: the plugin exports entrypoint and
# nothing else, and imports the framework library as Nexaro.dll, the name the host application
# ships it under.
#   cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DPLUGIN=Q71Device.dll -P check_exports.cmake
cmake_policy(VERSION 3.19)
foreach(var OBJDUMP PLUGIN)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "check_exports.cmake: ${var} is not set")
    endif()
endforeach()

execute_process(COMMAND ${OBJDUMP} -p ${PLUGIN} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${PLUGIN} exited with ${status}")
endif()

# The export table lists one line a name after "[Ordinal/Name Pointer] Table" (binutils'
# layout: "\t[   0] name"), up to the next blank line.
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" start)
if(start EQUAL -1)
    message(FATAL_ERROR "${PLUGIN} has no export table:\n${dump}")
endif()
string(SUBSTRING "${dump}" ${start} -1 table)
string(REGEX MATCH "Table[^\n]*\n(([ \t]+\\[[ 0-9]+\\][^\n]*\n)*)" table "${table}")
# One name a line; the brackets go first, as a CMake list would not split around them.
string(REGEX REPLACE "[ \t]+\\[[ 0-9]+\\][ \t]+([^\n]+)\n" "\\1;" exports "${CMAKE_MATCH_1}")
string(REGEX REPLACE ";$" "" exports "${exports}")
if(NOT exports STREQUAL "entrypoint")
    message(FATAL_ERROR "${PLUGIN} exports '${exports}'; it must export entrypoint alone")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
set(imports)
foreach(line IN LISTS lines)
    string(REPLACE "DLL Name: " "" name "${line}")
    list(APPEND imports ${name})
endforeach()
if(NOT "Nexaro.dll" IN_LIST imports)
    message(FATAL_ERROR "${PLUGIN} does not import Nexaro.dll; it imports: ${imports}")
endif()
message(STATUS "${PLUGIN}: exports ${exports}; imports ${imports}")
