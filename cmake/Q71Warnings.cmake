# Warnings are errors on our own targets; Qt's headers come in as system headers.
function(q71_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
        -Wnon-virtual-dtor -Woverloaded-virtual -Wshadow -Wcast-qual -Wformat=2)
endfunction()
