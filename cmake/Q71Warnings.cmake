# The warnings every target of ours is built with; Qt's headers come in as system headers.
# Q71_WERROR (on in CI) makes them errors.
function(q71_warnings target)
    if(MSVC)
        # A native Windows build with Visual C++: its own warning level and switch.
        target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${Q71_WERROR}>:/WX>)
        return()
    endif()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
        -Wnon-virtual-dtor -Woverloaded-virtual -Wshadow -Wcast-qual -Wformat=2)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        # Qt's logging macros take a category and an optional format: qCWarning(category) << ...
        # leaves their variadic part empty, which C++20 allows and clang's -Wpedantic flags.
        target_compile_options(${target} PRIVATE -Wno-gnu-zero-variadic-macro-arguments)
    endif()
    if(Q71_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
