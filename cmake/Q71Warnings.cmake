# The warnings every target of ours is built with; Qt's headers come in as system headers.
# Q71_WERROR (on in CI) makes them errors.
function(q71_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
        -Wnon-virtual-dtor -Woverloaded-virtual -Wshadow -Wcast-qual -Wformat=2)
    if(Q71_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
