# Windows (native, or cross-built with MinGW-w64 and run under Wine): what the build leaves out, and
# where the binaries land.

# What is Linux by nature, or needs a library the platform lacks, is not built; one line says so.
set(Q71_WINDOWS_LEFT_OUT "the Linux bus (linux/, --live), the sound server's volume (libpulse)"
    " and pcap captures (libpcap: --pcap, pcap replays)")
if(NOT TARGET ${QT}::Widgets)
    list(APPEND Q71_WINDOWS_LEFT_OUT ", the widget-naming contract and q71-contract (no QtWidgets)")
endif()
string(CONCAT Q71_WINDOWS_LEFT_OUT ${Q71_WINDOWS_LEFT_OUT})
message(STATUS "Windows build leaves out ${Q71_WINDOWS_LEFT_OUT}")

# Windows finds a program's DLLs beside it: every program and DLL but the plugins goes to bin/, so
# that the tests and q71-host load Nexaro.dll from where they are. Plugins stay in their folders
# with their manifests, as the host application expects them.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

# The ZIP (cpack -G ZIP) is the install: bin/ with q71-host.exe, Nexaro.dll and the runtime DLLs
# they and the plugin need, plugins/ with Q71Device.dll and its manifest. Qt's DLLs come from the
# Qt the build uses, the compiler's runtime from the compiler itself.
install(FILES $<TARGET_FILE:${QT}::Core> $<TARGET_FILE:${QT}::Xml> DESTINATION ${CMAKE_INSTALL_BINDIR})
if(MINGW)
    foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
            OUTPUT_VARIABLE file OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT IS_ABSOLUTE "${file}" OR NOT EXISTS "${file}")
            message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${runtime} is")
        endif()
        install(FILES ${file} DESTINATION ${CMAKE_INSTALL_BINDIR})
    endforeach()
elseif(MSVC)
    include(InstallRequiredSystemLibraries)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME q71)
set(CPACK_SYSTEM_NAME windows-x86_64)
include(CPack)
