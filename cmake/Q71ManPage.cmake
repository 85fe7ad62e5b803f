# Manual pages of the installed programs, made at build time by help2man from each program's own
# --help, so that the options are described in one place and the page cannot fall behind them.
# help2man reads the help by running the program, which a cross build cannot do.
if(CMAKE_CROSSCOMPILING)
    message(STATUS "Cross build: the programs' manual pages are not built")
else()
    find_program(Q71_HELP2MAN help2man)
    if(NOT Q71_HELP2MAN)
        message(STATUS "help2man not found: the programs' manual pages are not built")
    endif()
endif()

# The page's date. help2man would write the month it runs in, so two builds of the same sources
# would make different pages and the check below would fail at the turn of a month; the date of
# the commit built (or SOURCE_DATE_EPOCH, as reproducible builds set it) is the sources' own.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(q71_man_epoch $ENV{SOURCE_DATE_EPOCH})
else()
    execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE q71_man_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE q71_git_status ERROR_QUIET)
    if(NOT q71_git_status EQUAL 0 OR q71_man_epoch STREQUAL "")
        string(TIMESTAMP q71_man_epoch "%s" UTC)
    endif()
endif()
set(Q71_MAN_EPOCH ${q71_man_epoch} CACHE STRING "The date of the manual pages, in seconds since 1970")
set(Q71_HELP_TO_MAN ${CMAKE_CURRENT_LIST_DIR}/Q71HelpToMan.cmake)

# Builds man1/TARGET.1 from TARGET's --help, installs it in share/man/man1 and records it for the
# man.* tests (tests/man), which regenerate it and hold it to the program's options.
function(q71_man_page target summary)
    if(NOT Q71_HELP2MAN)
        return()
    endif()
    set(page ${PROJECT_BINARY_DIR}/man/man1/${target}.1)
    set(args -DHELP2MAN=${Q71_HELP2MAN} -DPROGRAM=$<TARGET_FILE:${target}> -DNAME=${target}
             "-DSUMMARY=${summary}" -DVERSION=${PROJECT_VERSION} -DEPOCH=${Q71_MAN_EPOCH}
             -DBUILD_PLUGIN_DIR=${Q71_PLUGIN_DIR} -DPLUGIN_INSTALL_DIR=${Q71_PLUGIN_INSTALL_DIR})
    add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} ${args} -DOUTPUT=${page} -P ${Q71_HELP_TO_MAN}
        DEPENDS ${target} ${Q71_HELP_TO_MAN}
        COMMENT "Writing the manual page of ${target}"
        VERBATIM)
    add_custom_target(${target}-man ALL DEPENDS ${page})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    set_property(GLOBAL APPEND PROPERTY Q71_MAN_PAGES ${target})
    set_property(GLOBAL PROPERTY Q71_MAN_ARGS_${target} "${args}")
endfunction()
