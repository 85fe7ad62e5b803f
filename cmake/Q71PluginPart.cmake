# One folder of the plugin as a static library of its own, compiled as the plugin is (hidden
# visibility, position-independent), so that the plugin links its parts and a test can link one
# part without compiling its sources again.
function(q71_plugin_part target)
    add_library(${target} STATIC ${ARGN})
    target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    set_target_properties(${target} PROPERTIES
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        POSITION_INDEPENDENT_CODE ON)
    q71_warnings(${target})
endfunction()
