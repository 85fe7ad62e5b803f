# Installs BUILD_DIR into WORK_DIR/prefix, checks that the installed plugin and the programs in
# BINDIR resolve their libraries from the install alone, builds the consumer in SOURCE_DIR against
# the prefix and runs it on the installed plugin (PLUGIN, relative to the prefix).
cmake_minimum_required(VERSION 3.19)
foreach(var BUILD_DIR WORK_DIR SOURCE_DIR CXX PLUGIN BINDIR)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "run_consumer.cmake: ${var} is not set")
    endif()
endforeach()

function(step what)
    execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${what} failed (${status}):\n${out}")
    endif()
    set(step_output "${out}" PARENT_SCOPE)
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
step("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The user service (UNIT, relative to the prefix, where the Linux bus is built) runs the program
# this install put in the prefix, whatever prefix the build was configured with.
if(UNIT)
    file(STRINGS ${prefix}/${UNIT} exec REGEX "^ExecStart=")
    if(NOT exec STREQUAL "ExecStart=${prefix}/bin/q71-host --live --quiet")
        message(FATAL_ERROR "${UNIT} is not installed, or does not run q71-host --live: '${exec}'")
    endif()
endif()

# The panel's place on the desktop: its menu entry, the autostart entry that starts it in the tray,
# and its icons in the hicolor theme, where desktops look for them.
if(PANEL)
    foreach(file ${DATADIR}/applications/q71-panel.desktop ${SYSCONFDIR}/xdg/autostart/q71-panel.desktop
                 ${DATADIR}/icons/hicolor/scalable/apps/q71-panel.svg
                 ${DATADIR}/icons/hicolor/scalable/apps/q71-panel-headset.svg
                 ${DATADIR}/icons/hicolor/scalable/apps/q71-panel-no-headset.svg)
        if(NOT EXISTS ${prefix}/${file})
            message(FATAL_ERROR "${file} is not installed in ${prefix}")
        endif()
    endforeach()
    file(STRINGS ${prefix}/${SYSCONFDIR}/xdg/autostart/q71-panel.desktop exec REGEX "^Exec=")
    if(NOT exec STREQUAL "Exec=q71-panel --window=hide")
        message(FATAL_ERROR "the autostart entry does not start the panel in the tray: '${exec}'")
    endif()
    if(NOT EXISTS ${prefix}/${BINDIR}/q71-panel)
        message(FATAL_ERROR "q71-panel is not installed in ${prefix}/${BINDIR}")
    endif()
endif()

# The session bus's files (DBUS, relative to the prefix, where the service is built): the interfaces
# for clients to generate their code from, and the activation file, which starts the unit's program.
if(DBUS)
    foreach(interface Manager Headset)
        if(NOT EXISTS ${prefix}/${DBUS}/interfaces/org.q71.Headsets1.${interface}.xml)
            message(FATAL_ERROR "org.q71.Headsets1.${interface}.xml is not installed in ${prefix}/${DBUS}/interfaces")
        endif()
    endforeach()
    if(UNIT)
        set(activation ${prefix}/${DBUS}/services/org.q71.Headsets1.service)
        file(STRINGS ${activation} lines REGEX "^(Name|Exec|SystemdService)=")
        if(NOT lines STREQUAL "Name=org.q71.Headsets1;Exec=${prefix}/bin/q71-host --live --quiet;SystemdService=q71-host.service")
            message(FATAL_ERROR "${activation} is not installed, or does not start the unit's program: '${lines}'")
        endif()
        file(STRINGS ${prefix}/${UNIT} bus REGEX "^(Type|BusName)=")
        if(NOT bus STREQUAL "Type=dbus;BusName=org.q71.Headsets1")
            message(FATAL_ERROR "${UNIT} does not wait for the bus name: '${bus}'")
        endif()
    endif()
endif()

# Nothing from the build tree may be needed: the plugin's own run path must find the framework.
step("ldd" ldd ${prefix}/${PLUGIN})
if(step_output MATCHES "not found" OR NOT step_output MATCHES "libNexaro[^\n]*=> ${prefix}/")
    message(FATAL_ERROR "the installed plugin does not find libNexaro in the install:\n${step_output}")
endif()
# The plugin carries the interfaces that name widgets without implementing them: it must not pull
# the GUI libraries into a host that has none.
if(step_output MATCHES "libQt[56](Gui|Widgets)")
    message(FATAL_ERROR "the installed plugin needs QtGui or QtWidgets:\n${step_output}")
endif()

# Every program the install puts in bin/ starts from the prefix alone: its run path, not the
# environment, finds the framework library. q71-host and q71-contract are always among them.
file(GLOB programs ${prefix}/${BINDIR}/*)
foreach(required q71-host q71-contract)
    if(NOT ${prefix}/${BINDIR}/${required} IN_LIST programs)
        message(FATAL_ERROR "${required} is not installed in ${prefix}/${BINDIR}")
    endif()
endforeach()
foreach(program IN LISTS programs)
    step("${program} --help from the install" ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH
         QT_QPA_PLATFORM=offscreen ${program} --help)
endforeach()

# Each program with a manual page has it where man looks under the prefix (MAN_PROGRAMS, by commas).
string(REPLACE "," ";" man_programs "${MAN_PROGRAMS}")
foreach(program IN LISTS man_programs)
    if(NOT EXISTS ${prefix}/${MANDIR}/man1/${program}.1)
        message(FATAL_ERROR "the manual page of ${program} is not installed in ${prefix}/${MANDIR}/man1")
    endif()
endforeach()

# q71ctl's completion where bash-completion finds it under the prefix, and bash reads it.
if(COMPLETION)
    if(NOT EXISTS ${prefix}/${COMPLETION})
        message(FATAL_ERROR "the bash completion of q71ctl is not installed as ${prefix}/${COMPLETION}")
    endif()
    step("bash reads q71ctl's completion" bash -c "source '${prefix}/${COMPLETION}' && complete -p q71ctl")
endif()

step("configure" ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G "Unix Makefiles"
     -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX}
     "-DCMAKE_CXX_FLAGS=${FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}")
step("build" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
step("run" ${WORK_DIR}/build/q71-consumer ${prefix}/${PLUGIN})
message(STATUS "${step_output}")
