# Where an install puts things, and how its programs and the plugin find the framework library
# there. The run paths are relative ($ORIGIN), so that an install works from whatever prefix
# `cmake --install --prefix` gave it, moved or not, without LD_LIBRARY_PATH.
if(WIN32)
    # A Windows install is one folder: programs and DLLs in bin/, the plugins in plugins/ beside it,
    # where q71-host looks (../plugins from its own folder).
    set(Q71_PLUGIN_INSTALL_DIR plugins)
else()
    set(Q71_PLUGIN_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/q71/plugins)
endif()

file(RELATIVE_PATH Q71_LIBDIR_FROM_BIN
    ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})
file(RELATIVE_PATH Q71_LIBDIR_FROM_PLUGINS
    ${CMAKE_INSTALL_PREFIX}/${Q71_PLUGIN_INSTALL_DIR} ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})
# q71-host looks for the plugin relative to itself.
file(RELATIVE_PATH Q71_PLUGIN_FROM_BIN
    ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${Q71_PLUGIN_INSTALL_DIR})

# Every target made after this starts with the programs' run path, so that no program installed
# to bin/ can be left without one; the plugin, installed elsewhere, sets its own from
# Q71_LIBDIR_FROM_PLUGINS. Libraries in the library folder itself resolve to that folder too.
set(CMAKE_INSTALL_RPATH "$ORIGIN/${Q71_LIBDIR_FROM_BIN}")
