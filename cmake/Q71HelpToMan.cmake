# cmake -P script: writes OUTPUT, the manual page of PROGRAM (called NAME) made by help2man from its
# --help. With CHECK set instead, regenerates the page and fails unless it is the same as CHECK
# and names every option --help lists.
foreach(var HELP2MAN PROGRAM NAME SUMMARY VERSION EPOCH BUILD_PLUGIN_DIR PLUGIN_INSTALL_DIR)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "Q71HelpToMan.cmake: ${var} is not set")
    endif()
endforeach()

# The help names the defaults of this machine and build: the plugin beside the program in the
# build tree, the configuration file in this user's home. The page describes the installed
# program for any user, and must not change from one build directory to the next.
set(ENV{XDG_CONFIG_HOME} /XDG_CONFIG_HOME)
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
endif()
string(REPLACE "${PROGRAM}" "${NAME}" help "${help}")
string(REPLACE "${BUILD_PLUGIN_DIR}" "<prefix>/${PLUGIN_INSTALL_DIR}" help "${help}")
string(REPLACE "/XDG_CONFIG_HOME" "$XDG_CONFIG_HOME" help "${help}")

# help2man runs a program for the help it reads: one named after ours that prints the help above.
if(CHECK)
    set(OUTPUT ${CHECK}.check)
endif()
set(work ${OUTPUT}.help)
file(MAKE_DIRECTORY ${work})
file(WRITE ${work}/help.txt "${help}")
file(WRITE ${work}/${NAME} "#!/bin/sh\nexec cat '${work}/help.txt'\n")
file(CHMOD ${work}/${NAME} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
# --version-string: the version is the build's, and not every program has --version.
execute_process(COMMAND ${HELP2MAN} --no-info --no-discard-stderr --version-string=${VERSION}
                        --name=${SUMMARY} --output=${OUTPUT} ${work}/${NAME}
                RESULT_VARIABLE status ERROR_VARIABLE error)
file(REMOVE_RECURSE ${work})
if(NOT status EQUAL 0)
    message(FATAL_ERROR "help2man failed for ${NAME} (${status}): ${error}")
endif()
if(NOT CHECK)
    return()
endif()

file(READ ${CHECK} built)
file(READ ${OUTPUT} fresh)
file(REMOVE ${OUTPUT})
if(NOT built STREQUAL fresh)
    message(FATAL_ERROR "${CHECK} is not the page ${NAME} --help makes now: rebuild it, "
                        "or find what in the help changes from one run to the next")
endif()
# help2man writes each option as \-\-name; one it failed to parse would be missing.
string(REGEX MATCHALL "(^|[ \n])--[a-z][a-z-]*" options "${help}")
list(REMOVE_DUPLICATES options)
foreach(option IN LISTS options)
    string(STRIP "${option}" option)
    string(REPLACE "-" "\\-" escaped "${option}")
    string(FIND "${built}" "${escaped}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${CHECK} does not describe ${option}")
    endif()
endforeach()
# Nor may this user's home reach a page meant for every user.
if(DEFINED ENV{HOME} AND NOT "$ENV{HOME}" STREQUAL "/" AND built MATCHES "$ENV{HOME}/")
    message(FATAL_ERROR "${CHECK} names this user's home $ENV{HOME}")
endif()
list(LENGTH options count)
message(STATUS "${CHECK} matches ${NAME} --help, with its ${count} options")
