# --pcap on a build without libpcap: refused before the run with one line saying why, exit 2, and
# no file left where the capture would have gone.
#   cmake [-DEMULATOR=wine] -DPROGRAM=q71-host.exe -DOUTPUT=x.pcap -DSCENARIO=demo.q71
#         -P run_pcap_refused.cmake
cmake_policy(VERSION 3.19)
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${EMULATOR} ${PROGRAM} --json --pcap ${OUTPUT} ${SCENARIO}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
string(REPLACE "\r\n" "\n" errors "${errors}")
set(expected "q71-host: cannot write capture ${OUTPUT}: this program was built without libpcap\n")
if(NOT status EQUAL 2 OR NOT errors STREQUAL expected OR NOT output STREQUAL "")
    message(FATAL_ERROR "exit ${status}, standard error:\n${errors}\nstandard output:\n${output}")
endif()
if(EXISTS ${OUTPUT})
    message(FATAL_ERROR "${OUTPUT} was left behind")
endif()
